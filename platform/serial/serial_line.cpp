#include "platform/serial/serial_line.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/serial/line_lock.h"

namespace platform {
namespace {

speed_t BaudConstant(int baudRate) {
    switch (baudRate) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: return B0;
    }
}

tcflag_t ByteSizeFlag(int byteSize) {
    switch (byteSize) {
        case 5: return CS5;
        case 6: return CS6;
        case 7: return CS7;
        default: return CS8;
    }
}

class TermiosLine final : public ByteStream {
public:
    TermiosLine(int fd, const LineSettings& settings) : fd_(fd), settings_(settings) {}
    ~TermiosLine() override {
        ioctl(fd_, TIOCNXCL);  // the exclusive flag outlives us when another descriptor stays open
        flock(fd_, LOCK_UN);
        close(fd_);
        // The lock file goes after this, once the device is closed.
    }

    void keep(std::unique_ptr<LineLock> lock) { lock_ = std::move(lock); }

    int writeSome(const std::uint8_t* data, std::size_t count) override {
        for (;;) {
            const ssize_t n = ::write(fd_, data, count);
            if (n >= 0) return static_cast<int>(n);
            if (errno == EINTR) continue;
            return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
        }
    }

    bool waitWritable(int timeoutMs) override {
        pollfd p{fd_, POLLOUT, 0};
        int ready = 0;
        do {
            ready = poll(&p, 1, timeoutMs);
        } while (ready < 0 && errno == EINTR);
        return ready > 0 && (p.revents & POLLOUT) != 0 && (p.revents & (POLLERR | POLLHUP)) == 0;
    }

    int available() override {
        int queued = 0;
        if (ioctl(fd_, FIONREAD, &queued) != 0) return -1;
        return queued;
    }

    int read(std::uint8_t* buffer, std::size_t limit) override {
        if (limit == 0) return 0;
        const ssize_t n = ::read(fd_, buffer, limit);
        if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : -1;
        return static_cast<int>(n);
    }

    void discard() override { tcflush(fd_, TCIOFLUSH); }

    LineSettings settings() const override { return settings_; }

private:
    int fd_;
    LineSettings settings_;
    std::unique_ptr<LineLock> lock_;
};

bool Configure(int fd, const LineSettings& s) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    cfmakeraw(&tio);
    const speed_t speed = BaudConstant(s.baudRate);
    if (speed == B0) return false;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= ByteSizeFlag(s.byteSize) | CLOCAL | CREAD;
    if (s.parity == 1) tio.c_cflag |= PARENB | PARODD;
    if (s.parity == 2) tio.c_cflag |= PARENB;
    if (s.stopBits != 0) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) return false;
    // Pseudo-terminals have no modem lines; that is no failure.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &lines);
    return tcflush(fd, TCIOFLUSH) == 0;
}

}  // namespace

std::unique_ptr<ByteStream> OpenSerialLine(const std::string& devicePath, const LineSettings& settings) {
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    // The exclusive flag is set last: it belongs to the device, and a holder found on the way
    // must not be left with it.
    if (!isatty(fd) || fstat(fd, &st) != 0 || flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        HeldByAnotherProcess(st.st_rdev)) {
        close(fd);
        return nullptr;
    }
    std::unique_ptr<LineLock> lock = LineLock::Take(devicePath);
    if (!lock || ioctl(fd, TIOCEXCL) != 0) {
        close(fd);
        return nullptr;
    }
    auto line = std::make_unique<TermiosLine>(fd, settings);
    line->keep(std::move(lock));
    if (!Configure(fd, settings)) return nullptr;
    return line;
}

}  // namespace platform
