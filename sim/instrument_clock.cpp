#include "sim/instrument_clock.h"

#include <chrono>

namespace sim {
namespace {

namespace chr = std::chrono;

constexpr std::uint8_t kStopBit = 0x80;
constexpr std::size_t kControl = 0, kSeconds = 2, kMinutes = 3, kHours = 4, kYearDay = 5, kMonth = 6;
constexpr std::size_t kYearByte = 16;

std::uint8_t Bcd(int value) { return static_cast<std::uint8_t>((value / 10) << 4 | (value % 10)); }

std::optional<int> FromBcd(std::uint8_t byte) {
    const int tens = byte >> 4;
    const int ones = byte & 0x0F;
    if (tens > 9 || ones > 9) return std::nullopt;
    return tens * 10 + ones;
}

struct Calendar {
    int year, month, day, hour, minute, second;
};

std::optional<chr::sys_seconds> Read(const std::vector<std::uint8_t>& m) {
    const auto second = FromBcd(m[kSeconds]);
    const auto minute = FromBcd(m[kMinutes]);
    const auto hour = FromBcd(m[kHours] & 0x3F);
    const auto day = FromBcd(m[kYearDay] & 0x3F);
    const auto month = FromBcd(m[kMonth] & 0x1F);
    if (!second || !minute || !hour || !day || !month || *second > 59 || *minute > 59 || *hour > 23)
        return std::nullopt;
    const chr::year_month_day date{chr::year{2000 + m[kYearByte]}, chr::month{static_cast<unsigned>(*month)},
                                   chr::day{static_cast<unsigned>(*day)}};
    if (!date.ok()) return std::nullopt;
    return chr::sys_days{date} + chr::hours{*hour} + chr::minutes{*minute} + chr::seconds{*second};
}

void Write(std::vector<std::uint8_t>& m, const Calendar& c) {
    const int year = c.year - 2000;
    m[kSeconds] = Bcd(c.second);
    m[kMinutes] = Bcd(c.minute);
    m[kHours] = Bcd(c.hour);
    m[kYearDay] = static_cast<std::uint8_t>((year & 3) << 6 | Bcd(c.day));
    m[kMonth] = Bcd(c.month);
    m[kYearByte] = static_cast<std::uint8_t>(year & 0xFF);
}

}  // namespace

void InstrumentClock::Set(std::vector<std::uint8_t>& memory, const std::tm& local) {
    Write(memory,
          {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec});
}

void InstrumentClock::Advance(std::vector<std::uint8_t>& memory, std::uint32_t nowMs) {
    const std::uint32_t elapsed = lastMs_ ? nowMs - *lastMs_ : 0;
    lastMs_ = nowMs;
    if (memory[kControl] & kStopBit) {
        pendingMs_ = 0;
        return;
    }
    pendingMs_ += elapsed;
    const std::uint64_t seconds = pendingMs_ / 1000;
    pendingMs_ %= 1000;
    if (seconds == 0) return;
    const auto now = Read(memory);
    if (!now) return;
    const chr::sys_seconds later = *now + chr::seconds{static_cast<chr::seconds::rep>(seconds)};
    const chr::sys_days day = chr::floor<chr::days>(later);
    const chr::year_month_day date{day};
    const chr::hh_mm_ss<chr::seconds> time{later - day};
    Write(memory,
          {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
           static_cast<int>(static_cast<unsigned>(date.day())), static_cast<int>(time.hours().count()),
           static_cast<int>(time.minutes().count()), static_cast<int>(time.seconds().count())});
}

}  // namespace sim
