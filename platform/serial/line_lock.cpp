#include "platform/serial/line_lock.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kPtySlaveFirstMajor = 136;
constexpr unsigned kPtySlaveLastMajor = 143;
constexpr unsigned kPtyMasterMajor = 5;
constexpr unsigned kPtyMasterMinor = 2;

std::optional<unsigned long> ParseNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data()) return std::nullopt;
    for (const char* c = end; c != text.data() + text.size(); ++c) {
        if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r' && *c != 0) return std::nullopt;
    }
    return value;
}

std::string ReadSmallFile(const std::string& path, std::size_t limit) {
    std::string text;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    text.resize(limit);
    std::size_t got = 0;
    while (got < limit) {
        const ssize_t n = ::read(fd, text.data() + got, limit - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(got);
    return text;
}

// 0 when the file is missing or names no process id.
pid_t LockFilePid(const std::string& lockFile) {
    const std::optional<unsigned long> pid = ParseNumber(ReadSmallFile(lockFile, 32));
    if (!pid || *pid == 0 || *pid > 0x7fffffffUL) return 0;
    return static_cast<pid_t>(*pid);
}

bool NamesAnotherLiveProcess(const std::string& lockFile) {
    const pid_t holder = LiveLockHolder(lockFile);
    return holder != 0 && holder != getpid();
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::optional<unsigned> PtyIndex(dev_t device) {
    const unsigned maj = major(device);
    if (maj < kPtySlaveFirstMajor || maj > kPtySlaveLastMajor) return std::nullopt;
    return (maj - kPtySlaveFirstMajor) * 256u + minor(device);
}

// The pseudo-terminal a master descriptor of another process belongs to, from its fdinfo.
std::optional<unsigned> MasterIndex(const std::string& pid, const std::string& fd) {
    const std::string info = ReadSmallFile("/proc/" + pid + "/fdinfo/" + fd, 1024);
    constexpr std::string_view key = "tty-index:";
    const std::size_t at = info.find(key);
    if (at == std::string::npos) return std::nullopt;
    const std::size_t end = info.find('\n', at);
    const std::optional<unsigned long> index = ParseNumber(std::string_view(info).substr(
        at + key.size(), end == std::string::npos ? std::string::npos : end - at - key.size()));
    if (!index) return std::nullopt;
    return static_cast<unsigned>(*index);
}

bool ProcessHolds(const std::string& pid, dev_t device, std::optional<unsigned> ptyIndex) {
    const int dirFd = ::open(("/proc/" + pid + "/fd").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return false;  // gone, or not ours to look into
    DIR* fds = fdopendir(dirFd);
    if (fds == nullptr) {
        ::close(dirFd);
        return false;
    }
    bool holds = false;
    std::vector<std::string> masters;
    while (const dirent* entry = readdir(fds)) {
        if (entry->d_name[0] == '.') continue;
        // Only links into /dev are looked at, so no other file system is ever touched.
        char target[16] = {};
        if (readlinkat(dirFd, entry->d_name, target, sizeof target - 1) < 5 ||
            std::strncmp(target, "/dev/", 5) != 0)
            continue;
        struct stat st {};
        if (fstatat(dirFd, entry->d_name, &st, 0) != 0 || !S_ISCHR(st.st_mode)) continue;
        if (st.st_rdev == device) {
            holds = true;
        } else if (ptyIndex && st.st_rdev == makedev(kPtyMasterMajor, kPtyMasterMinor)) {
            masters.emplace_back(entry->d_name);
        }
    }
    closedir(fds);
    if (!holds) return false;
    for (const std::string& fd : masters) {
        if (MasterIndex(pid, fd) == ptyIndex) return false;
    }
    return true;
}

}  // namespace

std::string LockFolder() {
    const char* folder = std::getenv("ZKV_LOCKS");
    return (folder && *folder) ? std::string(folder) : std::string(kDefaultLockFolder);
}

std::string LockFilePath(const std::string& devicePath) {
    std::error_code ec;
    const fs::path device = fs::canonical(devicePath, ec);
    const std::string name = (ec ? fs::path(devicePath) : device).filename().string();
    return (fs::path(LockFolder()) / ("LCK.." + name)).string();
}

pid_t LiveLockHolder(const std::string& lockFile) {
    const pid_t pid = LockFilePid(lockFile);
    if (pid == 0) return 0;
    return (kill(pid, 0) == 0 || errno == EPERM) ? pid : 0;
}

bool HeldByAnotherProcess(dev_t device) {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return false;
    const std::string self = std::to_string(getpid());
    const std::optional<unsigned> ptyIndex = PtyIndex(device);
    bool held = false;
    while (!held) {
        const dirent* entry = readdir(proc);
        if (entry == nullptr) break;
        const std::string_view name(entry->d_name);
        const bool process = !name.empty() && name.find_first_not_of("0123456789") == std::string_view::npos;
        if (!process || name == self) continue;
        held = ProcessHolds(std::string(name), device, ptyIndex);
    }
    closedir(proc);
    return held;
}

std::unique_ptr<LineLock> LineLock::Take(const std::string& devicePath) {
    const std::string lockFile = LockFilePath(devicePath);
    if (NamesAnotherLiveProcess(lockFile)) return nullptr;
    const auto ours = [](std::string file) {
        return std::unique_ptr<LineLock>(new LineLock(std::move(file)));
    };

    // Written aside and then put in place, so nobody ever reads a half-written lock file.
    std::string aside = lockFile + ".XXXXXX";
    const int fd = mkostemp(aside.data(), O_CLOEXEC);
    if (fd < 0) return ours({});
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    bool written = WriteAll(fd, text) && fchmod(fd, 0644) == 0;
    written = ::close(fd) == 0 && written;
    bool placed = false;
    if (written) {
        placed = ::link(aside.c_str(), lockFile.c_str()) == 0;
        if (!placed) {
            // A lock file is there: a live holder keeps the line, one that has ended loses it.
            if (NamesAnotherLiveProcess(lockFile)) {
                ::unlink(aside.c_str());
                return nullptr;
            }
            placed = ::rename(aside.c_str(), lockFile.c_str()) == 0;
        }
    }
    ::unlink(aside.c_str());
    return ours(placed ? lockFile : std::string());
}

LineLock::~LineLock() {
    if (!file_.empty() && LockFilePid(file_) == getpid()) ::unlink(file_.c_str());
}

}  // namespace platform
