#include "tests/support/temp_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace testing_support {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zkvtest-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = name.data();
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

PortsFolderScope::PortsFolderScope() {
    if (const char* old = std::getenv("ZKV_PORTS")) {
        previous_ = old;
        hadPrevious_ = true;
    }
    setenv("ZKV_PORTS", folder_.path().c_str(), 1);
}

PortsFolderScope::~PortsFolderScope() {
    if (hadPrevious_) setenv("ZKV_PORTS", previous_.c_str(), 1);
    else unsetenv("ZKV_PORTS");
}

}  // namespace testing_support

namespace testing_support {
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; ++waited) {
        if (condition()) return true;
        usleep(1000);
    }
    return condition();
}
}  // namespace testing_support
