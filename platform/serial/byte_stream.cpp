#include "platform/serial/byte_stream.h"

#include "platform/system/clock.h"

namespace platform {

std::uint32_t WireTimeMs(std::size_t count, const LineSettings& settings) {
    if (settings.baudRate <= 0) return 0;
    const std::uint64_t start = 1;
    const std::uint64_t parity = settings.parity != 0 ? 1 : 0;
    const std::uint64_t stop = settings.stopBits != 0 ? 2 : 1;
    const auto data = static_cast<std::uint64_t>(settings.byteSize);
    const std::uint64_t bitsPerCharacter = start + data + parity + stop;
    const std::uint64_t bitMs = static_cast<std::uint64_t>(count) * bitsPerCharacter * 1000u;
    const auto baud = static_cast<std::uint64_t>(settings.baudRate);
    return static_cast<std::uint32_t>((bitMs + baud - 1) / baud);
}

std::size_t ByteStream::write(const std::uint8_t* data, std::size_t count) {
    const std::uint32_t bound = WireTimeMs(count, settings()) + kWriteMarginMs;
    const std::uint32_t start = TickCountMs();
    std::size_t done = 0;
    while (done < count) {
        const int taken = writeSome(data + done, count - done);
        if (taken < 0) break;
        done += static_cast<std::size_t>(taken);
        if (done == count) break;
        const std::uint32_t spent = TickCountMs() - start;
        if (spent >= bound || !waitWritable(static_cast<int>(bound - spent))) break;
    }
    return done;
}

}  // namespace platform
