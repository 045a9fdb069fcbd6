#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/automation/library_loader.h"
#include "platform/automation/report_record.h"

namespace testing_support {

// The report library's stand-in (report_library_probe.cpp), held loaded by the test too, so that
// it stays the one instance the workstation loads from its path and what it saw outlives the
// workstation's unload. The test's own load counts as one attach.
class HeldProbe {
  public:
    explicit HeldProbe(const std::string& path) : library_(platform::LoadLibraryA(path.c_str())) {}
    // A copy of the built probe at path, held.
    HeldProbe(const char* built, const std::string& path) : HeldProbe(Placed(built, path)) {}
    ~HeldProbe() { platform::FreeLibrary(library_); }
    HeldProbe(const HeldProbe&) = delete;
    HeldProbe& operator=(const HeldProbe&) = delete;

    bool loaded() const { return library_ != nullptr; }
    void answer(int code) const { get<void (*)(int)>("ProbeAnswer")(code); }
    void refuseLoad(bool refuse) const { get<void (*)(bool)>("ProbeRefuseLoad")(refuse); }
    using Table = std::vector<std::vector<std::string>>;
    const Table& tableRead() const { return *get<const Table* (*)()>("ProbeTableRead")(); }
    int attaches() const { return get<int (*)()>("ProbeAttaches")(); }
    int detaches() const { return get<int (*)()>("ProbeDetaches")(); }
    int reportCalls() const { return get<int (*)()>("ProbeReportCalls")(); }
    const platform::TAllTextToExcel& record() const {
        return *get<const platform::TAllTextToExcel* (*)()>("ProbeRecord")();
    }

  private:
    static std::string Placed(const char* built, const std::string& path) {
        namespace fs = std::filesystem;
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(built, path, fs::copy_options::overwrite_existing);
        return path;
    }
    template <typename F>
    F get(const char* name) const {
        return reinterpret_cast<F>(platform::GetProcAddress(library_, name));
    }

    platform::HMODULE library_;
};

}  // namespace testing_support
