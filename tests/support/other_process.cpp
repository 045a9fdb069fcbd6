#include "tests/support/other_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace testing_support {
namespace {

constexpr int kDeviceFd = 10;
constexpr int kFarEndFd = 11;

// Between fork() and exec only async-signal-safe calls are made.
[[noreturn]] void RunHolder(const char* device, int farEnd, int input, int ready) {
    const auto fail = [ready] {
        const char failed = 'x';
        (void)!::write(ready, &failed, 1);
        _exit(127);
    };
    if (dup2(input, 0) < 0) fail();
    if (farEnd >= 0 && (dup2(farEnd, kFarEndFd) < 0 || fcntl(kFarEndFd, F_SETFD, 0) != 0)) fail();
    const int fd = ::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0 || dup2(fd, kDeviceFd) < 0 || fcntl(kDeviceFd, F_SETFD, 0) != 0) fail();
    const int nowhere = ::open("/dev/null", O_WRONLY);
    if (nowhere < 0 || dup2(nowhere, 1) < 0) fail();
    execl("/bin/cat", "cat", static_cast<char*>(nullptr));
    fail();
    _exit(127);
}

}  // namespace

OtherProcess::OtherProcess(const std::string& device, int farEnd) {
    int input[2];
    int ready[2];
    if (pipe2(input, O_CLOEXEC) != 0) return;
    if (pipe2(ready, O_CLOEXEC) != 0) {
        ::close(input[0]);
        ::close(input[1]);
        return;
    }
    const pid_t pid = fork();
    if (pid == 0) RunHolder(device.c_str(), farEnd, input[0], ready[1]);
    ::close(input[0]);
    ::close(ready[1]);
    if (pid < 0) {
        ::close(input[1]);
        ::close(ready[0]);
        return;
    }
    pid_ = pid;
    input_ = input[1];
    // The end of the ready pipe comes with exec (it is close-on-exec), a byte with a failure.
    char failed = 0;
    ssize_t n = 0;
    do {
        n = ::read(ready[0], &failed, 1);
    } while (n < 0 && errno == EINTR);
    ::close(ready[0]);
    ok_ = n == 0;
}

OtherProcess::~OtherProcess() {
    if (pid_ <= 0) return;
    ::close(input_);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}

pid_t EndedProcessId() {
    const pid_t pid = fork();
    if (pid == 0) _exit(0);
    int status = 0;
    while (pid > 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return pid;
}

}  // namespace testing_support
