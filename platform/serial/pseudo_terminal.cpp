#include "platform/serial/pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

PseudoTerminal::PseudoTerminal() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) return;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        close(master);
        return;
    }
    char name[128] = {};
    if (ptsname_r(master, name, sizeof name) != 0) {
        close(master);
        return;
    }
    const int keeper = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (keeper < 0) {
        close(master);
        return;
    }
    termios tio{};
    if (tcgetattr(keeper, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(keeper, TCSANOW, &tio);
    }
    master_ = master;
    keeper_ = keeper;
    devicePath_ = name;
}

PseudoTerminal::~PseudoTerminal() {
    if (keeper_ >= 0) close(keeper_);
    if (master_ >= 0) close(master_);
}

std::string PseudoTerminal::readAvailable() {
    std::string bytes;
    if (master_ < 0) return bytes;
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n > 0) {
            bytes.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    return bytes;
}

bool PseudoTerminal::write(const std::string& bytes) {
    std::size_t done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return master_ >= 0;
}

bool PseudoTerminal::waitReadable(int timeoutMs) {
    if (master_ < 0) return false;
    pollfd p{master_, POLLIN, 0};
    return poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN);
}

}  // namespace platform
