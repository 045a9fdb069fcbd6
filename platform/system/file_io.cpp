#include "platform/system/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

namespace platform {
namespace {

struct FolderAndName {
    std::string folder;
    std::string name;
};

FolderAndName Split(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return {FolderOf(path), slash == std::string::npos ? path : path.substr(slash + 1)};
}

std::string TemporaryPrefix(const std::string& name) { return "." + name + "."; }

struct TemporaryName {
    std::string_view name;
    long pid = 0;
};

// A temporary of ours is ".<name>.<pid>.<attempt>"; the pid tells whether its maker still runs.
std::optional<TemporaryName> ParseTemporary(std::string_view entry) {
    if (entry.size() < 2 || entry.front() != '.') return std::nullopt;
    const std::size_t lastDot = entry.rfind('.');
    if (lastDot == 0 || lastDot + 1 == entry.size()) return std::nullopt;
    for (char c : entry.substr(lastDot + 1)) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    const std::size_t pidDot = entry.rfind('.', lastDot - 1);
    if (pidDot == std::string_view::npos || pidDot == 0 || pidDot + 1 == lastDot) return std::nullopt;
    long pid = 0;
    const auto [end, error] = std::from_chars(entry.data() + pidDot + 1, entry.data() + lastDot, pid);
    if (error != std::errc() || end != entry.data() + lastDot || pid <= 0) return std::nullopt;
    return TemporaryName{entry.substr(1, pidDot - 1), pid};
}

bool MakerIsGone(long pid) {
    if (pid == getpid()) return false;
    return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Removes stale temporaries whose file name passes `whose`.
template <typename Whose>
void RemoveStale(const std::string& folder, Whose whose) {
    struct DirCloser {
        void operator()(DIR* dir) const { closedir(dir); }
    };
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) return;
    while (const dirent* entry = readdir(dir.get())) {
        const std::optional<TemporaryName> temporary = ParseTemporary(entry->d_name);
        if (!temporary || !whose(temporary->name) || !MakerIsGone(temporary->pid)) continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat info;
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) unlink(path.c_str());
    }
}

std::string SystemError(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + std::strerror(error);
}

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // Some file systems cannot sync a folder; the rename has happened either way.
    fsync(fd);
    close(fd);
}

}  // namespace

FileRead ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    FileRead result;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        result.outcome =
            errno == ENOENT || errno == ENOTDIR ? FileRead::Outcome::Missing : FileRead::Outcome::Unreadable;
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.outcome = FileRead::Outcome::NotRegular;
        return result;
    }
    // Non-blocking, so that a FIFO put in the file's place since the check cannot hang the open.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.outcome = errno == ENOENT ? FileRead::Outcome::Missing : FileRead::Outcome::Unreadable;
        return result;
    }
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        result.outcome = FileRead::Outcome::NotRegular;
        return result;
    }
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        close(fd);
        result.outcome = FileRead::Outcome::TooLarge;
        return result;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) break;
        // A file that grows while it is read is held to the bound too.
        const bool tooLarge = n > 0 && bytes.size() + static_cast<std::size_t>(n) > maxBytes;
        if (n < 0 || tooLarge) {
            close(fd);
            result.outcome = tooLarge ? FileRead::Outcome::TooLarge : FileRead::Outcome::Unreadable;
            return result;
        }
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    close(fd);
    result.outcome = FileRead::Outcome::Read;
    result.bytes = std::move(bytes);
    return result;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string SaveTarget(const std::string& path) {
    std::string target = path;
    // A chain of links is followed link by link, so that a dangling last link still names the
    // file the save should make; a loop ends after as many steps as the system allows.
    for (int step = 0; step < 40; ++step) {
        struct stat info;
        if (lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
        char buffer[PATH_MAX];
        const ssize_t length = readlink(target.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) break;
        std::string next(buffer, static_cast<std::size_t>(length));
        if (next.front() != '/') next = Split(target).folder + "/" + next;
        target = std::move(next);
    }
    return target;
}

TemporaryFile WriteTemporaryBeside(const std::string& path, std::string_view bytes) {
    const std::string target = SaveTarget(path);
    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return {false, {}, target + " is not a regular file"};
    const FolderAndName place = Split(target);
    RemoveStale(place.folder, [&](std::string_view name) { return name == place.name; });

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = place.folder + "/" + TemporaryPrefix(place.name) + std::to_string(getpid()) + "." +
                    std::to_string(attempt);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) return {false, {}, SystemError("cannot write beside", target, errno)};
    }
    if (fd < 0) return {false, {}, "no free temporary name beside " + target};
    if (exists) fchmod(fd, old.st_mode & 07777);

    const bool complete = WriteAll(fd, bytes) && fsync(fd) == 0;
    const int writeError = errno;
    const bool closed = close(fd) == 0;
    if (!complete || !closed) {
        unlink(temporary.c_str());
        return {false, {}, SystemError("cannot write", temporary, complete ? errno : writeError)};
    }
    return {true, temporary, {}, target};
}

FileWrite ReplaceFile(const std::string& path, std::string_view bytes) {
    const TemporaryFile temporary = WriteTemporaryBeside(path, bytes);
    if (!temporary) return {false, temporary.why};
    const std::string& target = temporary.target;
    // Looked at again just before the rename: what was put there meanwhile is not replaced either.
    struct stat now;
    const bool replaceable = stat(target.c_str(), &now) != 0 ? errno == ENOENT : S_ISREG(now.st_mode);
    if (!replaceable) {
        unlink(temporary.path.c_str());
        return {false, target + " is not a regular file"};
    }
    if (rename(temporary.path.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        unlink(temporary.path.c_str());
        return {false, SystemError("cannot replace", target, renameError)};
    }
    SyncFolder(Split(target).folder);
    return {true, {}};
}

void RemoveStaleTemporaries(const std::string& folder, std::string_view namePrefix) {
    if (namePrefix.empty()) return;
    RemoveStale(folder, [&](std::string_view name) { return name.substr(0, namePrefix.size()) == namePrefix; });
}

KeptAside KeepAside(const std::string& path, const std::string& tag) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return {false, {}, SystemError("cannot keep aside", path, errno)};
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path + "." + tag + (n == 1 ? std::string() : "-" + std::to_string(n));
        // Never over another file kept aside before: the kernel refuses a taken name.
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
            SyncFolder(Split(path).folder);
            return {true, aside, {}};
        }
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return {false, {}, SystemError("cannot keep aside", path, errno)};
        // A file system without that kind of rename: look first, then rename.
        if (lstat(aside.c_str(), &info) == 0) continue;
        if (rename(path.c_str(), aside.c_str()) == 0) {
            SyncFolder(Split(path).folder);
            return {true, aside, {}};
        }
        return {false, {}, SystemError("cannot keep aside", path, errno)};
    }
    return {false, {}, "no free name to keep " + path + " aside"};
}

}  // namespace platform
