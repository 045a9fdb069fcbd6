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

FolderVariableScope::FolderVariableScope(const char* variable) : variable_(variable) {
    if (const char* old = std::getenv(variable_)) {
        previous_ = old;
        hadPrevious_ = true;
    }
    setenv(variable_, folder_.path().c_str(), 1);
}

FolderVariableScope::~FolderVariableScope() {
    if (hadPrevious_) setenv(variable_, previous_.c_str(), 1);
    else unsetenv(variable_);
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
