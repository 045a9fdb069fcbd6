#include "link/serial232.h"

#include <algorithm>
#include <string>

#include "platform/serial/com_ports.h"
#include "platform/system/clock.h"

namespace {

// A line that never works: the target of INVALID_HANDLE_VALUE, so that it is a real address.
class NoLine final : public platform::ByteStream {
public:
    int writeSome(const std::uint8_t*, std::size_t) override { return -1; }
    bool waitWritable(int) override { return false; }
    int available() override { return -1; }
    int read(std::uint8_t*, std::size_t) override { return -1; }
    void discard() override {}
};

NoLine noLine;

std::unique_ptr<platform::ByteStream> OpenByNumber(int port, const platform::LineSettings& settings) {
    return platform::OpenComDevice(ComPortName(port), settings);
}

}  // namespace

HANDLE const INVALID_HANDLE_VALUE = &noLine;

std::string ComPortName(int port) {
    const std::string plain = "COM" + std::to_string(port);
    return port <= 9 ? plain : "\\\\.\\" + plain;
}

HANDLE OpenComPort(int port, int baudRate, unsigned char byteSize, unsigned char parity, unsigned char stopBits) {
    if (port < 1) return nullptr;
    std::unique_ptr<platform::ByteStream> line = OpenByNumber(port, {baudRate, byteSize, parity, stopBits});
    if (!line) return INVALID_HANDLE_VALUE;
    line->discard();
    return line.release();
}

void CloseComPort(HANDLE handle) {
    if (!IsValidHandle(handle)) return;
    handle->discard();
    delete handle;
    platform::SleepMs(1);
}

bool WriteComPort(const char* buffer, int count, HANDLE handle) {
    if (!IsValidHandle(handle) || count <= 0 || buffer == nullptr) return false;
    handle->discard();
    // A frame that has begun on the line has been sent, even when its tail could not follow.
    return handle->write(reinterpret_cast<const std::uint8_t*>(buffer), static_cast<std::size_t>(count)) > 0;
}

int ReadComPort(HANDLE handle, char* buffer, int limit) {
    if (!IsValidHandle(handle)) {
        if (buffer && limit > 0) buffer[0] = 0;
        return -1;
    }
    if (buffer == nullptr || limit < 2) return 0;
    const int queued = handle->available();
    if (queued < 0) return -2;
    int taken = 0;
    if (queued > 0) {
        const int wanted = std::min(queued, limit - 2);
        taken = handle->read(reinterpret_cast<std::uint8_t*>(buffer), static_cast<std::size_t>(wanted));
        if (taken < 0) return -2;
    }
    buffer[taken] = 0;
    buffer[taken + 1] = 0;
    return taken;
}

bool PortExists(int port) {
    if (port < 1) return false;
    return OpenByNumber(port, {}) != nullptr;
}
