#pragma once

#include <sys/types.h>

#include <string>

namespace testing_support {

// A second program that keeps a device open the plain way (open(), no flock, no lock file) until
// the object goes; with farEnd, it also keeps that descriptor (the far end of a pseudo-terminal),
// as a simulated instrument in a process of its own does. The program is cat reading a pipe of
// ours, so it ends when the pipe closes, also when the test itself dies.
class OtherProcess {
public:
    explicit OtherProcess(const std::string& device, int farEnd = -1);
    ~OtherProcess();
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;

    // Running and holding what it was given.
    bool ok() const { return ok_; }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    bool ok_ = false;
};

// The id of a process that has ended.
pid_t EndedProcessId();

}  // namespace testing_support
