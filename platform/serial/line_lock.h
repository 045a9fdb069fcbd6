#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace platform {

// Serial programs on Linux mark a line they use with a lock file LCK..<device name> holding their
// process id as ten characters and a line feed. The folder is $ZKV_LOCKS when set, else this one.
inline constexpr const char* kDefaultLockFolder = "/run/lock";

std::string LockFolder();
// The lock file of a device; links (a ports folder entry, /dev/serial/by-id/...) are followed.
std::string LockFilePath(const std::string& devicePath);
// The process a lock file names, when that process is alive; 0 otherwise.
pid_t LiveLockHolder(const std::string& lockFile);

// True when a process other than this one has the character device open. A process that also
// holds the far end of the same pseudo-terminal is the device itself (a simulated instrument
// keeps its line open between our opens) and does not count.
bool HeldByAnotherProcess(dev_t device);

// This process's lock file of a device, removed when the object goes. Lock files of processes
// that have ended are taken over.
class LineLock {
public:
    // Null when a live process holds the lock. Where no lock file can be written (no folder, no
    // rights) the line is still ours: an object without a file comes back.
    static std::unique_ptr<LineLock> Take(const std::string& devicePath);
    ~LineLock();
    LineLock(const LineLock&) = delete;
    LineLock& operator=(const LineLock&) = delete;

    const std::string& file() const { return file_; }

private:
    explicit LineLock(std::string file) : file_(std::move(file)) {}
    std::string file_;  // empty when none was written
};

}  // namespace platform
