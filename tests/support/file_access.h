#pragma once

#include <string>

namespace testing_support {

// Makes the calling thread obey file permissions for the scope, also when the tests run as the
// superuser: it gives up the capabilities that override them and takes them back at the end.
// A normal user obeys them anyway.
class ObeyFilePermissions {
public:
    ObeyFilePermissions();
    ~ObeyFilePermissions();
    ObeyFilePermissions(const ObeyFilePermissions&) = delete;
    ObeyFilePermissions& operator=(const ObeyFilePermissions&) = delete;

private:
    bool changed_ = false;
    unsigned effective_[2] = {};
};

// A folder in which no new file can be made (mode r-x for everyone); the files already in it keep
// their own modes.
void MakeFolderReadOnly(const std::string& path);

// A read-only folder holding one file that anyone may write: a save can only write over the old
// file in place. The folder takes new files again when this ends, so that it can be removed.
class LockedFolder {
public:
    LockedFolder(const std::string& path, const std::string& fileName, const std::string& bytes);
    ~LockedFolder();
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;
    const std::string& path() const { return path_; }
    const std::string& file() const { return file_; }

private:
    std::string path_;
    std::string file_;
};

}  // namespace testing_support
