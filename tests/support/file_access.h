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

}  // namespace testing_support
