#include "app/model/device_clock.h"

#include "platform/text/number_scan.h"

namespace {

// Day and month of the first step are carried in this leap year until the year is read.
constexpr int kPlaceholderYear = 2000;

std::uint8_t Bcd(int value) { return static_cast<std::uint8_t>((value / 10) << 4 | (value % 10)); }

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A BCD field of two characters whose tens digit is masked.
std::optional<int> Field(std::string_view text, std::size_t at, int tensMask) {
    const int tens = HexDigit(text[at]);
    const int units = HexDigit(text[at + 1]);
    if (tens < 0 || units < 0 || units > 9) return std::nullopt;
    return 10 * (tens & tensMask) + units;
}

}  // namespace

bool ClockYearFits(const QDate& date) {
    return date.isValid() && date.year() >= kClockFirstYear && date.year() <= kClockLastYear;
}

TClockBlock PackDateTime(const QDate& date, const QTime& time) {
    TClockBlock block{};
    const auto year = static_cast<std::uint16_t>(date.year() - kClockFirstYear);
    block[0] = kClockStopped;
    block[2] = Bcd(time.second());
    block[3] = Bcd(time.minute());
    block[4] = Bcd(time.hour());
    block[5] = static_cast<std::uint8_t>((date.day() / 10) << 4 | (year & 3) << 6 | date.day() % 10);
    block[6] = Bcd(date.month());
    block[16] = static_cast<std::uint8_t>(year & 0xFF);
    return block;
}

std::optional<QTime> DeviceTimeFromHex(std::string_view text) {
    if (text.size() < 6) return std::nullopt;
    const auto seconds = Field(text, 0, 0xF);
    const auto minutes = Field(text, 2, 0xF);
    const auto hours = Field(text, 4, 3);
    if (!seconds || !minutes || !hours || !QTime::isValid(*hours, *minutes, *seconds)) return std::nullopt;
    return QTime(*hours, *minutes, *seconds);
}

std::optional<QDate> DeviceDateFromHex(std::string_view text) {
    if (text.size() < 4) return std::nullopt;
    const auto day = Field(text, 0, 3);
    const auto month = Field(text, 2, 1);
    if (!day || !month || !QDate::isValid(kPlaceholderYear, *month, *day)) return std::nullopt;
    return QDate(kPlaceholderYear, *month, *day);
}

int YearFromText(std::string_view text) { return platform::ScanInteger(text).value_or(0); }

std::optional<QDate> DeviceDateInYear(const QDate& dayAndMonth, int yearByte) {
    if (!dayAndMonth.isValid()) return std::nullopt;
    const long long year = static_cast<long long>(yearByte) + kClockFirstYear;
    if (year < 1 || year > 9999) return std::nullopt;
    const int y = static_cast<int>(year);
    if (!QDate::isValid(y, dayAndMonth.month(), dayAndMonth.day())) return std::nullopt;
    return QDate(y, dayAndMonth.month(), dayAndMonth.day());
}
