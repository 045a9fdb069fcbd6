#include <exception>
#include <type_traits>

#include "platform/automation/automation.h"
#include "platform/automation/library_loader.h"
#include "sheet/archive_report.h"
#include "sheet/cell_maps.h"
#include "sheet/diagnostics.h"
#include "sheet/protocol_report.h"
#include "sheet/report_check.h"
#include "sheet/version.h"
#include "sheet/zkvsheet.h"

// The workstation calls the export through this signature.
static_assert(std::is_same_v<decltype(&FormReport), platform::FormReportFunction>);

namespace {

// Nothing may unwind into the caller, which is not ours and not C++.
template <typename Body>
int Guarded(int failure, Body body) {
    try {
        return body();
    } catch (const std::exception& error) {
        sheet::DebugOut(std::string("zkvsheet: ") + error.what());
    } catch (...) {
        sheet::DebugOut("zkvsheet: unknown exception");
    }
    return failure;
}

}  // namespace

int FormReport(const sheet::TAllTextToExcel* record) {
    return Guarded(-1, [&] {
        if (!record) {
            sheet::DebugOut("ERROR! Struct TAllTextToExcel is missing!!");
            return -1;
        }
        const sheet::PosPov& map = sheet::CellMapFor(record->Mode);
        if (sheet::CheckReportData(*record, map) != 0) return -1;
        return sheet::FormProtocol(*record, map);
    });
}

int Archive2excell(HWND listView) {
    return Guarded(-3, [&] { return sheet::ExportArchive(listView); });
}

int GetVersionDll(char* buffer, unsigned size) {
    return Guarded(-1, [&] { return sheet::CopyBuildStamp(buffer, size); });
}

int DllMain(void* /*instance*/, std::uint32_t reason, void* /*reserved*/) {
    if (reason == platform::DLL_PROCESS_ATTACH) {
        if (platform::Failed(platform::OleInitialize(nullptr))) {
            sheet::DebugOut("olegrid.dll error! \n OLE библиотека недоступна!");
            return 0;
        }
    } else if (reason == platform::DLL_PROCESS_DETACH) {
        sheet::ReleaseReportContext();
        platform::OleUninitialize();
        sheet::ForgetDebugListBox();
    }
    return 1;
}
