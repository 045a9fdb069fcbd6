#include "app/controls/report_library.h"

#include <memory>

#include "platform/automation/library_loader.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/utf8_literal.h"

namespace {

void ShowError(const QString& text) { platform::MessageDlg(text, platform::MsgDlgType::Error, platform::mbOK); }

struct LibraryRelease {
    void operator()(platform::HMODULE library) const { platform::FreeLibrary(library); }
};
using LoadedLibrary = std::unique_ptr<void, LibraryRelease>;

}  // namespace

ReportLibraryCall CallReportLibrary(const std::string& libraryPath, const char* exportName,
                                    const std::function<int(void* exportAddress)>& call) {
    ReportLibraryCall outcome;
    const LoadedLibrary library(platform::LoadLibraryA(libraryPath.c_str()));
    if (!library) {
        ShowError(U("Библиотека не найдена!"));
        return outcome;
    }
    outcome.loaded = true;
    void* const address = platform::GetProcAddress(library.get(), exportName);
    if (address == nullptr) {
        ShowError(QString::fromLatin1(exportName) + U("() не найдена!"));
        return outcome;
    }
    outcome.found = true;
    outcome.result = call(address);
    if (outcome.result != 0) ShowError(U("Ошибка при создании отчёта. Код ошибки:") + QString::number(outcome.result));
    return outcome;
}
