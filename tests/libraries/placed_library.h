#pragma once

#include <dlfcn.h>

#include <filesystem>
#include <string>

#include "tests/libraries/fake_report_library.h"

// A stand-in report library copied to a path of the test's choosing and held open by the test,
// so that it stays the one instance the workstation loads from there and its state outlives the
// workstation's unload.
class PlacedLibrary {
  public:
    PlacedLibrary(const char* built, const std::string& path) {
        namespace fs = std::filesystem;
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(built, path, fs::copy_options::overwrite_existing);
        handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) return;
        if (const auto of = reinterpret_cast<FakeReportStateFunction>(dlsym(handle_, "FakeReport")))
            state_ = of();
    }
    ~PlacedLibrary() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    PlacedLibrary(const PlacedLibrary&) = delete;
    PlacedLibrary& operator=(const PlacedLibrary&) = delete;

    bool ready() const { return state_ != nullptr; }
    FakeReportState& state() { return *state_; }

  private:
    void* handle_ = nullptr;
    FakeReportState* state_ = nullptr;
};
