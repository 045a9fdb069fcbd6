#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

struct LineSettings {
    int baudRate = 9600;
    int byteSize = 8;
    int parity = 0;    // 0 none, 1 odd, 2 even, as the Windows device control block codes them
    int stopBits = 0;  // 0 one stop bit, 2 two (1, one and a half, is taken as two)
};

// How long count characters take on a line with these settings, rounded up to whole milliseconds.
std::uint32_t WireTimeMs(std::size_t count, const LineSettings& settings);
// What a write may wait beyond the wire time for a line that is slow to take its bytes.
inline constexpr std::uint32_t kWriteMarginMs = 100;

// What the instrument link needs of a line: hand bytes over, see and take what has arrived,
// discard both directions. A termios port, a pseudo-terminal and the in-memory line of the
// tests all offer it. Only write() ever waits, and only for room on the line.
class ByteStream {
public:
    virtual ~ByteStream() = default;
    ByteStream() = default;
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    // Hands all count bytes to the line, waiting for room at most for their wire time plus
    // kWriteMarginMs. Returns how many were handed over: fewer than count only when the line
    // stayed full or failed, 0 when nothing went out.
    std::size_t write(const std::uint8_t* data, std::size_t count);

    // Hands over what the line takes now: the number of bytes taken (0 while it is full), -1 when
    // the line has failed.
    virtual int writeSome(const std::uint8_t* data, std::size_t count) = 0;
    // Waits at most timeoutMs for room to write; false when none came or the line has failed.
    virtual bool waitWritable(int timeoutMs) = 0;
    // Bytes that a read would return now; -1 when the line has failed.
    virtual int available() = 0;
    // Takes at most limit bytes of what has arrived; -1 when the line has failed.
    virtual int read(std::uint8_t* buffer, std::size_t limit) = 0;
    // Drops unread input and unsent output.
    virtual void discard() = 0;
    // The speed and framing the line runs at.
    virtual LineSettings settings() const { return {}; }
};

}  // namespace platform
