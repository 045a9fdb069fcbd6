#include "app/results/report_binding.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "app/controls/report_library.h"
#include "app/model/value_text.h"
#include "platform/automation/report_record.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/utf8_literal.h"

namespace {

constexpr const char* kLibraryFile = "zkvsheet.so";
constexpr const char* kLibraryFolder = "sheetlib";

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// Beside the executable, else in its "sheetlib" folder, which is not looked at before loading.
std::string LibraryPath() {
    const std::string folder = ExeDir();
    const std::string beside = folder + "/" + kLibraryFile;
    if (FileExists(beside)) return beside;
    return folder + "/" + kLibraryFolder + "/" + kLibraryFile;
}

void ShowError(const QString& text) {
    platform::MessageDlg(text, platform::MsgDlgType::Error, platform::mbOK);
}

int Report(int mode, const ReportSources& sources) {
    const auto record = std::make_unique<platform::TAllTextToExcel>();
    FillReportRecord(*record, mode, sources);
    const ReportLibraryCall call = CallReportLibrary(LibraryPath(), "FormReport", [&](void* address) {
        return reinterpret_cast<platform::FormReportFunction>(address)(record.get());
    });
    if (!call.loaded) return -1;
    return call.found ? call.result : 0;
}

}  // namespace

int MakeReport(int mode, const ReportSources& sources) {
    // Called from a button: nothing may leave it.
    try {
        return Report(mode, sources);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
    return -1;
}
