// A stand-in for the report library in the workstation's tests. Its archive export reads the list
// view behind the handle with the messages and records the real one uses and keeps what it read;
// its protocol export keeps a copy of the record it was handed; both answer the result a test
// chose. It counts its load and unload callbacks and can refuse a load. Built once with the
// exports and once without them.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/automation/library_loader.h"
#include "platform/automation/report_record.h"
#include "platform/automation/window_handle.h"

#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::vector<std::vector<std::string>> table;
int result = 0;
int attaches = 0;
int detaches = 0;
bool refuseLoad = false;
int reportCalls = 0;
platform::TAllTextToExcel record{};

}  // namespace

PROBE_EXPORT int DllMain(void*, std::uint32_t reason, void*) {
    if (reason == platform::DLL_PROCESS_ATTACH) {
        ++attaches;
        return refuseLoad ? 0 : 1;
    }
    if (reason == platform::DLL_PROCESS_DETACH) ++detaches;
    return 1;
}

#ifndef PROBE_WITHOUT_EXPORT
PROBE_EXPORT int Archive2excell(HWND listView) {
    using namespace platform;
    table.clear();
    const LRESULT items = SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0);
    // Columns are counted by asking for each one, with a record that requests no text.
    WPARAM columns = 0;
    for (;; ++columns) {
        LVCOLUMNA column{};
        if (SendMessageA(listView, LVM_GETCOLUMNA, columns, reinterpret_cast<LPARAM>(&column)) == 0) break;
    }
    for (LRESULT i = 0; i < items; ++i) {
        std::vector<std::string>& row = table.emplace_back();
        for (WPARAM j = 0; j < columns; ++j) {
            char text[1024] = "untouched";
            LVITEMA item{};
            item.iSubItem = static_cast<int>(j);
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(listView, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            row.emplace_back(text);
        }
    }
    return result;
}

PROBE_EXPORT int FormReport(const platform::TAllTextToExcel* handed) {
    ++reportCalls;
    std::memcpy(&record, handed, sizeof record);
    return result;
}
#endif

PROBE_EXPORT void ProbeAnswer(int code) { result = code; }
PROBE_EXPORT const std::vector<std::vector<std::string>>* ProbeTableRead() { return &table; }
PROBE_EXPORT int ProbeAttaches() { return attaches; }
PROBE_EXPORT int ProbeDetaches() { return detaches; }
PROBE_EXPORT void ProbeRefuseLoad(bool refuse) { refuseLoad = refuse; }
PROBE_EXPORT int ProbeReportCalls() { return reportCalls; }
PROBE_EXPORT const platform::TAllTextToExcel* ProbeRecord() { return &record; }
