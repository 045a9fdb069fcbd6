#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// What reading a file the user named came to. Only regular files are read: a FIFO, a device or a
// folder under a workbook's, an archive's or a settings file's name is never opened for reading
// in a way that could block or run without end.
struct FileRead {
    enum class Outcome { Read, Missing, NotRegular, TooLarge, Unreadable };
    Outcome outcome = Outcome::Unreadable;
    std::string bytes;  // the whole file when Read

    bool ok() const { return outcome == Outcome::Read; }
};

// Reads a regular file of at most maxBytes, following links, without ever blocking in open().
FileRead ReadRegularFile(const std::string& path, std::size_t maxBytes);

// What a save came to; why says what went wrong, for debug output.
struct [[nodiscard]] FileWrite {
    bool ok = false;
    std::string why;

    explicit operator bool() const { return ok; }
};

// Replaces the file at path with bytes, or leaves it exactly as it was. The bytes go to a new file
// beside the target, every one of them is checked to have been written and synced, and only then
// is the new file renamed over the target. A link is followed, so a linked file is replaced and
// the link stays. A target that exists and is not a regular file (a device, a FIFO, a folder) is
// refused: renaming over it would destroy it. Temporary files that dead processes left beside the
// target are removed.
FileWrite ReplaceFile(const std::string& path, std::string_view bytes);

// The folder that holds path ("." for a bare name, "/" for a file at the root).
std::string FolderOf(const std::string& path);

// The path a save to path ends up writing: links followed as far as they lead.
std::string SaveTarget(const std::string& path);

// A new file beside the target of path (links followed), named as ReplaceFile names its
// temporaries so that it is removed as stale should its process die, holding every one of the
// bytes, synced. The caller removes it (or renames it) when done; nothing is left on a failure.
struct [[nodiscard]] TemporaryFile {
    bool ok = false;
    std::string path;
    std::string why;
    std::string target;  // the file it was made beside, links followed

    explicit operator bool() const { return ok; }
};
TemporaryFile WriteTemporaryBeside(const std::string& path, std::string_view bytes);

// Removes the temporaries that dead processes left in the folder for files whose names begin
// with namePrefix; an empty prefix removes none, since the prefix says whose they are.
void RemoveStaleTemporaries(const std::string& folder, std::string_view namePrefix);

// Puts what stands at path (itself, a link not followed) aside under path + "." + tag, or
// path + "." + tag + "-2", "-3", ... when that name is taken, so that a new file can be made at
// path without destroying the old one. Answers the name it now has, or why it could not be moved.
struct [[nodiscard]] KeptAside {
    bool ok = false;
    std::string path;  // the new name
    std::string why;

    explicit operator bool() const { return ok; }
};
KeptAside KeepAside(const std::string& path, const std::string& tag);

}  // namespace platform
