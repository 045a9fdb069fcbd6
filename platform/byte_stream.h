#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// What the instrument link needs of a line: start a write, see and take what has arrived,
// discard both directions. A termios port, a pseudo-terminal and the in-memory line of the
// tests all offer it. No call ever waits.
class ByteStream {
public:
    virtual ~ByteStream() = default;
    ByteStream() = default;
    ByteStream(const ByteStream&) = delete;
    ByteStream& operator=(const ByteStream&) = delete;

    // True when all count bytes were handed to the line.
    virtual bool write(const std::uint8_t* data, std::size_t count) = 0;
    // Bytes that a read would return now; -1 when the line has failed.
    virtual int available() = 0;
    // Takes at most limit bytes of what has arrived; -1 when the line has failed.
    virtual int read(std::uint8_t* buffer, std::size_t limit) = 0;
    // Drops unread input and unsent output.
    virtual void discard() = 0;
};

}  // namespace platform
