#include "sim/instrument.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <ctime>
#include <optional>

#include "link/crc16.h"
#include "platform/text/number_format.h"
#include "platform/text/number_scan.h"

namespace sim {
namespace {

constexpr std::size_t kMemorySizes[Instrument::kMemoryTypes] = {512, 32768, 64, 64};
constexpr std::size_t kMaxBlock = 32;
constexpr std::size_t kClockBlockLength = 17;
constexpr int kSettingsStart = 16;

// Instrument error codes.
constexpr int kUnknownCommand = 1;
constexpr int kUnknownMemory = 2;
constexpr int kUnknownDataType = 3;
constexpr int kBadFormat = 4;
constexpr int kAddressTooBig = 5;
constexpr int kBadChecksum = 6;
constexpr int kNotSupported = 11;
constexpr int kDetectCode = 70;

std::uint16_t BodyCrc(std::string_view body) {
    return Crc16(reinterpret_cast<const std::uint8_t*>(body.data()), static_cast<std::uint16_t>(body.size()));
}

std::string Frame(std::string body) {
    std::string frame = "\xff!";
    frame += body;
    frame += std::to_string(BodyCrc(body));
    frame += '\r';
    return frame;
}

bool ParseInt(const std::string& text, long long& value) {
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// A request's number field; one too long for any integer counts as the largest of its sign, so
// that it is refused as out of range and never wraps into a small one.
bool ParseField(const std::string& text, long long& value) {
    if (ParseInt(text, value)) return true;
    const std::string_view digits = !text.empty() && text[0] == '-' ? std::string_view(text).substr(1) : text;
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return false;
    value = text[0] == '-' ? LLONG_MIN : LLONG_MAX;
    return true;
}

// A float field: a decimal number and nothing after it, one a float holds. A value that rounds to
// an infinite float would be read back as "inf", no number on the line.
std::optional<float> WholeFloat(const std::string& text) {
    std::size_t used = 0;
    const auto number = platform::ScanFloat(text, &used);
    if (!number || used != text.size()) return std::nullopt;
    return number;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

Instrument::Instrument(int address) : address_(address) {
    for (std::size_t size : kMemorySizes) memory_.emplace_back(size, 0);

    // The reference transducer: type 43, kPa, range 0..1000.
    setByte(0, 259, 43);
    setByte(0, 262, 6);
    setFloat(0, 266, 0.0f);
    setFloat(0, 270, 1000.0f);

    // Clock block and year byte at the time of switching on.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    InstrumentClock::Set(memory(2), local);

    // Settings record, as the instrument leaves the factory.
    setByte(2, kSettingsStart + 3, 1);   // averaging
    setByte(2, kSettingsStart + 4, 2);   // digits
    setByte(2, kSettingsStart + 7, 1);   // buzzer
    setByte(2, kSettingsStart + 8, 1);   // automatic switch-off
    setByte(2, kSettingsStart + 9, 6);   // reference unit kPa
    setByte(2, kSettingsStart + 10, 5);  // sensor unit Pa
    setByte(2, kSettingsStart + 11, 1);  // 4-20 mA
    setFloat(2, kSettingsStart + 24, 1000.0f);

    setFactoryCalibration();
    setWord(3, 30, 12345);  // factory number

    // A cleared archive: every record blank with its checksum.
    std::vector<std::uint8_t> blank(kArchiveRecordSize, 0);
    blank[0] = 0xAA;
    const std::uint16_t crc = Crc16(blank.data(), kArchiveRecordSize - 2);
    blank[62] = static_cast<std::uint8_t>(crc & 0xFF);
    blank[63] = static_cast<std::uint8_t>(crc >> 8);
    for (int n = 0; n < kArchiveRecords; ++n) setBlock(1, n * static_cast<int>(kArchiveRecordSize), blank);

    setSource(1, 0.0);
    for (int source = 5; source <= 8; ++source) setSource(source, 4.0);
}

bool Instrument::inRange(int type, int reg, std::size_t count) const {
    if (type < 0 || type >= kMemoryTypes || reg < 0) return false;
    return static_cast<std::size_t>(reg) + count <= memory_[static_cast<std::size_t>(type)].size();
}

void Instrument::setByte(int type, int reg, std::uint8_t value) { setBlock(type, reg, {value}); }

void Instrument::setWord(int type, int reg, std::uint16_t value) {
    setBlock(type, reg, {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)});
}

void Instrument::setFloat(int type, int reg, float value) {
    std::vector<std::uint8_t> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    setBlock(type, reg, bytes);
}

void Instrument::setBlock(int type, int reg, const std::vector<std::uint8_t>& bytes) {
    if (!inRange(type, reg, bytes.size())) return;
    std::memcpy(memory(type).data() + reg, bytes.data(), bytes.size());
}

std::vector<std::uint8_t> Instrument::blockAt(int type, int reg, std::size_t count) const {
    if (!inRange(type, reg, count)) return {};
    const auto& m = memory_[static_cast<std::size_t>(type)];
    return {m.begin() + reg, m.begin() + reg + static_cast<long>(count)};
}

std::uint8_t Instrument::byteAt(int type, int reg) const {
    const auto b = blockAt(type, reg, 1);
    return b.empty() ? 0 : b[0];
}

std::uint16_t Instrument::wordAt(int type, int reg) const {
    const auto b = blockAt(type, reg, 2);
    return b.empty() ? 0 : static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

float Instrument::floatAt(int type, int reg) const {
    const auto b = blockAt(type, reg, 4);
    float value = 0.0f;
    if (!b.empty()) std::memcpy(&value, b.data(), 4);
    return value;
}

void Instrument::setSource(int source, double value) { sources_[source] = platform::FormatFixed(value, 4); }

void Instrument::setSourceText(int source, std::string text) { sources_[source] = std::move(text); }

void Instrument::pushFault(const Fault& fault, int times) {
    for (int i = 0; i < times; ++i) faults_.push_back(fault);
}

std::string Instrument::DataAnswer(int address, std::string_view data) {
    return Frame(std::to_string(address) + ";" + std::string(data) + ";");
}

std::string Instrument::ErrorAnswer(int address, int code) {
    return Frame(std::to_string(address) + ";$" + std::to_string(code) + ";");
}

void Instrument::receive(std::string_view bytes, std::uint32_t nowMs) {
    inbox_.append(bytes);
    for (;;) {
        const std::size_t start = inbox_.find("\xff:");
        if (start == std::string::npos) {
            // Keep a lone 0xFF that may begin the next frame.
            inbox_ = (!inbox_.empty() && inbox_.back() == '\xff') ? std::string("\xff") : std::string();
            return;
        }
        const std::size_t end = inbox_.find('\r', start);
        if (end == std::string::npos) {
            inbox_.erase(0, start);
            return;
        }
        // A start inside the frame abandons what came before it.
        const std::size_t restart = inbox_.rfind("\xff:", end);
        handleFrame(std::string_view(inbox_).substr(restart + 2, end - restart - 2), nowMs);
        inbox_.erase(0, end + 1);
    }
}

void Instrument::handleFrame(std::string_view frame, std::uint32_t nowMs) {
    const std::size_t lastSep = frame.rfind(';');
    if (lastSep == std::string_view::npos) return;
    const std::string_view body = frame.substr(0, lastSep + 1);
    long long crc = -1;
    if (!ParseInt(std::string(frame.substr(lastSep + 1)), crc)) return;

    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t sep = body.find(';'); sep != std::string_view::npos; sep = body.find(';', from)) {
        fields.emplace_back(body.substr(from, sep - from));
        from = sep + 1;
    }
    long long address = -1;
    long long command = -1;
    if (fields.size() < 2 || !ParseInt(fields[0], address) || !ParseInt(fields[1], command)) return;
    const bool detect = command == 0 && (address == 0 || address == address_);
    if (!detect && address != address_) return;

    requests_.emplace_back(body);
    if (crc != BodyCrc(body)) return queue(ErrorAnswer(address_, kBadChecksum), nowMs);
    if (detect) return queue(ErrorAnswer(address_, kDetectCode), nowMs);
    clock_.Advance(memory(2), nowMs);
    queue(answerFor(fields), nowMs);
}

std::string Instrument::answerFor(const std::vector<std::string>& fields) {
    std::vector<long long> numbers;
    for (std::size_t i = 1; i < fields.size() && i < 5; ++i) {
        long long v = 0;
        if (!ParseField(fields[i], v)) return ErrorAnswer(address_, kBadFormat);
        numbers.push_back(v);
    }
    const long long command = numbers[0];
    if (command == 1) {
        if (numbers.size() != 2) return ErrorAnswer(address_, kBadFormat);
        return measure(numbers[1]);
    }
    if (command != 10 && command != 11) return ErrorAnswer(address_, kUnknownCommand);
    const std::size_t expected = command == 10 ? 5 : 6;
    if (fields.size() != expected) return ErrorAnswer(address_, kBadFormat);
    // Every number is judged whole, before it is narrowed.
    const long long reg = numbers[1];
    const long long type = numbers[2];
    const long long dataType = numbers[3];
    if (type < 0 || type >= kMemoryTypes) return ErrorAnswer(address_, kUnknownMemory);
    if (dataType < 1 || dataType > 4) return ErrorAnswer(address_, kUnknownDataType);
    if (reg < 0 || static_cast<unsigned long long>(reg) >= kMemorySizes[type])
        return ErrorAnswer(address_, kAddressTooBig);
    const int t = static_cast<int>(type);
    const int r = static_cast<int>(reg);
    const int d = static_cast<int>(dataType);
    return command == 10 ? readRegister(t, r, d) : writeRegister(t, r, d, fields[5]);
}

std::string Instrument::measure(long long source) const {
    const auto found =
        source < INT_MIN || source > INT_MAX ? sources_.end() : sources_.find(static_cast<int>(source));
    if (found == sources_.end()) return ErrorAnswer(address_, kNotSupported);
    return DataAnswer(address_, found->second);
}

std::size_t Instrument::blockReadLength(int type, int reg) const {
    if (type == 2 && reg < kSettingsStart) return kClockBlockLength - static_cast<std::size_t>(reg);
    return std::min(kMaxBlock, kMemorySizes[type] - static_cast<std::size_t>(reg));
}

std::string Instrument::readRegister(int type, int reg, int dataType) {
    switch (dataType) {
        case 1:
            return DataAnswer(address_, std::to_string(byteAt(type, reg)));
        case 2:
            if (!inRange(type, reg, 2)) return ErrorAnswer(address_, kAddressTooBig);
            return DataAnswer(address_, std::to_string(wordAt(type, reg)));
        case 3:
            if (!inRange(type, reg, 4)) return ErrorAnswer(address_, kAddressTooBig);
            return DataAnswer(address_, platform::FormatFixed(static_cast<double>(floatAt(type, reg)), 6));
        default:
            return DataAnswer(address_, Hex(blockAt(type, reg, blockReadLength(type, reg))));
    }
}

std::string Instrument::writeRegister(int type, int reg, int dataType, const std::string& value) {
    if (IsEmulationCommand(type, reg)) return emulate(reg, dataType, value);
    std::vector<std::uint8_t> bytes;
    long long integer = 0;
    switch (dataType) {
        case 1:
            if (!ParseInt(value, integer) || integer < 0 || integer > 255) return ErrorAnswer(address_, kBadFormat);
            bytes = {static_cast<std::uint8_t>(integer)};
            break;
        case 2:
            if (!ParseInt(value, integer) || integer < -32768 || integer > 65535)
                return ErrorAnswer(address_, kBadFormat);
            bytes = {static_cast<std::uint8_t>(integer & 0xFF), static_cast<std::uint8_t>((integer >> 8) & 0xFF)};
            break;
        case 3: {
            const auto number = WholeFloat(value);
            if (!number) return ErrorAnswer(address_, kBadFormat);
            const float f = *number;
            bytes.resize(4);
            std::memcpy(bytes.data(), &f, 4);
            break;
        }
        default:
            if (value.empty() || value.size() % 2 != 0) return ErrorAnswer(address_, kBadFormat);
            for (std::size_t i = 0; i < value.size(); i += 2) {
                const int hi = HexDigit(value[i]);
                const int lo = HexDigit(value[i + 1]);
                if (hi < 0 || lo < 0) return ErrorAnswer(address_, kBadFormat);
                bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
            }
            break;
    }
    if (!inRange(type, reg, bytes.size())) return ErrorAnswer(address_, kAddressTooBig);
    setBlock(type, reg, bytes);
    return DataAnswer(address_, std::to_string(reg));
}

void Instrument::queue(std::string frame, std::uint32_t nowMs) {
    std::uint32_t due = nowMs;
    int parts = 1;
    if (!faults_.empty()) {
        const Fault fault = faults_.front();
        faults_.pop_front();
        switch (fault.kind) {
            case Fault::Silence: return;
            case Fault::ErrorCode: frame = ErrorAnswer(address_, fault.errorCode); break;
            case Fault::BadCrc: frame[frame.size() - 2] = frame[frame.size() - 2] == '0' ? '1' : '0'; break;
            case Fault::Noise: frame = fault.noise + frame; break;
            case Fault::Split: parts = std::max(1, fault.parts); break;
            case Fault::Late: due = nowMs + fault.delayMs; break;
            case Fault::OtherData: frame = DataAnswer(address_, fault.data); break;
        }
    }
    const std::size_t size = frame.size();
    const std::size_t piece = (size + static_cast<std::size_t>(parts) - 1) / static_cast<std::size_t>(parts);
    for (std::size_t at = 0; at < size; at += piece) outbox_.push_back({frame.substr(at, piece), due});
}

std::string Instrument::transmit(std::uint32_t nowMs) {
    if (outbox_.empty() || static_cast<std::int32_t>(nowMs - outbox_.front().dueMs) < 0) return {};
    std::string bytes = std::move(outbox_.front().bytes);
    outbox_.pop_front();
    return bytes;
}

// Calibration: the parameters of memory type 3 and the emulation commands of memory type 0.
namespace {
constexpr int kEmulationMinimum = 2;  // memory type 3, mA
constexpr int kEmulationMaximum = 6;
constexpr int kCurrentOffset = 10;
constexpr int kCalibFactors = 14;  // channel n (1..4) at 14 + 4 (n - 1)
constexpr int kEmulateMinimum = 43;  // memory type 0: write 0.0
constexpr int kEmulateMaximum = 44;  // write 0.0
constexpr int kEmulateCurrent = 45;  // write the current in mA
}  // namespace

void Instrument::setFactoryCalibration() {
    setFloat(3, kEmulationMinimum, 4.0f);
    setFloat(3, kEmulationMaximum, 20.0f);
    setFloat(3, kCurrentOffset, 0.0f);
    for (int channel = 0; channel < 4; ++channel) setFloat(3, kCalibFactors + 4 * channel, 1.0f);
}

bool Instrument::IsEmulationCommand(int type, int reg) {
    return type == 0 && (reg == kEmulateMinimum || reg == kEmulateMaximum || reg == kEmulateCurrent);
}

std::string Instrument::emulate(int reg, int dataType, const std::string& value) {
    const auto number = WholeFloat(value);
    if (dataType != 3 || !number) return ErrorAnswer(address_, kBadFormat);
    switch (reg) {
        case kEmulateMinimum: emulation_ = {EmulationMode::Minimum, floatAt(3, kEmulationMinimum)}; break;
        case kEmulateMaximum: emulation_ = {EmulationMode::Maximum, floatAt(3, kEmulationMaximum)}; break;
        default: emulation_ = {EmulationMode::Current, *number}; break;
    }
    return DataAnswer(address_, std::to_string(reg));
}

}  // namespace sim
