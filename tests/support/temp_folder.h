#pragma once

#include <functional>
#include <string>

namespace testing_support {

// A fresh folder of its own under the system's temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Points an environment variable at a fresh folder for the scope's life, restoring the old value
// after.
class FolderVariableScope {
public:
    explicit FolderVariableScope(const char* variable);
    ~FolderVariableScope();
    FolderVariableScope(const FolderVariableScope&) = delete;
    FolderVariableScope& operator=(const FolderVariableScope&) = delete;
    const std::string& path() const { return folder_.path(); }

private:
    const char* variable_;
    TempFolder folder_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// The ports folder ($ZKV_PORTS) of a test.
class PortsFolderScope : public FolderVariableScope {
public:
    PortsFolderScope() : FolderVariableScope("ZKV_PORTS") {}
};

// The folder of the serial lines' lock files ($ZKV_LOCKS) of a test.
class LockFolderScope : public FolderVariableScope {
public:
    LockFolderScope() : FolderVariableScope("ZKV_LOCKS") {}
};

}  // namespace testing_support

namespace testing_support {
// Bytes cross a pseudo-terminal through the kernel; this waits, boundedly, until they have.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 2000);
}  // namespace testing_support
