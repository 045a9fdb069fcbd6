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

// Points $ZKV_PORTS at a fresh folder for the fixture's life, restoring the old value after.
class PortsFolderScope {
public:
    PortsFolderScope();
    ~PortsFolderScope();
    const std::string& path() const { return folder_.path(); }

private:
    TempFolder folder_;
    std::string previous_;
    bool hadPrevious_ = false;
};

}  // namespace testing_support

namespace testing_support {
// Bytes cross a pseudo-terminal through the kernel; this waits, boundedly, until they have.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 2000);
}  // namespace testing_support
