#include "link/protocol.h"

#include <QLineEdit>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>

#include "link/crc16.h"
#include "link/exchange_state.h"
#include "link/my_comm.h"
#include "platform/text/number_format.h"
#include "platform/text/number_scan.h"

char RequestBuffer[kRequestBufferSize];

namespace {

constexpr std::size_t kHeaderLength = 2;  // 0xFF ':'
constexpr std::size_t kTailReserve = 7;   // up to five CRC digits, '\r', and a spare zero byte

// Builds the body of a frame in RequestBuffer behind 0xFF ':'.
class FrameBuilder {
public:
    FrameBuilder() : length_(kHeaderLength) {
        RequestBuffer[0] = static_cast<char>(0xFF);
        RequestBuffer[1] = ':';
    }

    void number(long long value) {
        char digits[24];
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
        (void)ec;
        text(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    }
    void field(long long value) {
        number(value);
        text(";");
    }
    void text(std::string_view s) {
        std::memcpy(RequestBuffer + length_, s.data(), s.size());
        length_ += s.size();
    }

    // Appends the CRC and the carriage return; returns the frame's full length.
    std::size_t finish() {
        const auto* body = reinterpret_cast<const std::uint8_t*>(RequestBuffer + kHeaderLength);
        number(Crc16(body, static_cast<std::uint16_t>(length_ - kHeaderLength)));
        text("\r");
        RequestBuffer[length_] = 0;
        return length_;
    }

private:
    std::size_t length_;
};

// The tail every builder shares: open on demand, write, restart the answer time-out, count a step.
int SendFrame(TMyComm& port, std::size_t length) {
    try {
        if (!port.IsOpen()) port.Open();
    } catch (...) {
        return 0;
    }
    port.Flush();
    const int written = port.Write(RequestBuffer, static_cast<int>(length));
    TimeoutTicks = AnswerTimeoutTicks;
    ++WorkStep;
    return written;
}

void Header(FrameBuilder& frame, std::uint8_t address, std::uint8_t command) {
    frame.field(address);
    frame.field(command);
}

}  // namespace

int SendRequest(TMyComm& port, std::uint8_t address, std::uint8_t command, std::int32_t f1, std::int32_t f2,
                std::int32_t f3, std::int32_t f4, std::int32_t f5, std::int32_t f6) {
    std::memset(RequestBuffer, 0, sizeof RequestBuffer);
    FrameBuilder frame;
    Header(frame, address, command);
    for (std::int32_t f : {f1, f2, f3, f4, f5, f6}) {
        if (f != -1) frame.field(f);
    }
    return SendFrame(port, frame.finish());
}

int SendHexRequest(TMyComm& port, std::uint8_t address, std::uint8_t command, int reg, int memoryType,
                   const std::uint8_t* bytes, int count) {
    constexpr std::size_t kFieldsReserve = 4 + 4 + 12 + 12 + 2;  // address, command, register, memory type, 4
    if (count < 0 || (count > 0 && bytes == nullptr)) return 0;
    if (kHeaderLength + kFieldsReserve + 2 * static_cast<std::size_t>(count) + 1 + kTailReserve > kRequestBufferSize)
        return 0;
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    FrameBuilder frame;
    Header(frame, address, command);
    frame.field(reg);
    frame.field(memoryType);
    frame.field(DataBlock);
    for (int i = 0; i < count; ++i) {
        const char pair[2] = {kHexDigits[bytes[i] >> 4], kHexDigits[bytes[i] & 0x0F]};
        frame.text(std::string_view(pair, 2));
    }
    frame.text(";");
    return SendFrame(port, frame.finish());
}

int SendFloatRequest(TMyComm& port, std::uint8_t address, std::uint8_t command, int reg, int memoryType,
                     float value) {
    FrameBuilder frame;
    Header(frame, address, command);
    frame.field(reg);
    frame.field(memoryType);
    frame.field(DataFloat);
    frame.text(platform::FormatFixed(static_cast<double>(value), 6));
    frame.text(";");
    return SendFrame(port, frame.finish());
}

int SendTextFloatRequest(TMyComm& port, std::uint8_t address, std::uint8_t command, int reg, int memoryType,
                         std::string_view text) {
    // A value a float cannot hold is no number: it would go out as "inf".
    const std::optional<float> value = platform::ScanFloat(text);
    if (!value) return 0;
    return SendFloatRequest(port, address, command, reg, memoryType, *value);
}

int SendEditFloatRequest(TMyComm& port, std::uint8_t address, std::uint8_t command, int reg, int memoryType,
                         const QLineEdit* edit) {
    if (edit == nullptr) return 0;
    return SendTextFloatRequest(port, address, command, reg, memoryType, edit->text().toStdString());
}

int SendSetMode(int source) {
    if (MainPort == nullptr) return 0;
    return SendRequest(*MainPort, static_cast<std::uint8_t>(DevAddr), CmdMeasure, source);
}
