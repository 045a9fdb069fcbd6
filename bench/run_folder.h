#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace bench {

// A folder of the run's own, removed afterwards; path is empty when none could be made.
struct RunFolder {
    std::string path;
    RunFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zkvbench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~RunFolder() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;
};

}  // namespace bench
