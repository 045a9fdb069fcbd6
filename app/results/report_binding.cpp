#include "app/results/report_binding.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "app/model/value_text.h"
#include "platform/dialogs.h"
#include "platform/library_loader.h"
#include "platform/report_record.h"
#include "platform/utf8_literal.h"

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

struct LibraryRelease {
    void operator()(platform::HMODULE library) const { platform::FreeLibrary(library); }
};
// The library goes when the report call is over, however it ended.
using LoadedLibrary = std::unique_ptr<void, LibraryRelease>;

int Report(int mode, const ReportSources& sources) {
    const auto record = std::make_unique<platform::TAllTextToExcel>();
    FillReportRecord(*record, mode, sources);
    const LoadedLibrary library(platform::LoadLibraryA(LibraryPath().c_str()));
    if (!library) {
        ShowError(U("Библиотека не найдена!"));
        return -1;
    }
    const auto formReport =
        reinterpret_cast<platform::FormReportFunction>(platform::GetProcAddress(library.get(), "FormReport"));
    if (formReport == nullptr) {
        ShowError(U("FormReport() не найдена!"));
        return 0;
    }
    const int result = formReport(record.get());
    if (result != 0) ShowError(U("Ошибка при создании отчёта. Код ошибки:") + QString::number(result));
    return result;
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
