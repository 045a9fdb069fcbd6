// A stand-in for the report library in the archive page's tests. It reads the list view behind
// the handle with the messages and records the report library's archive export uses, keeps what
// it read, answers the result a test chose, and counts its load and unload callbacks. Built once
// with the export and once without it.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/library_loader.h"
#include "platform/window_handle.h"

#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::vector<std::vector<std::string>> table;
int result = 0;
int attaches = 0;
int detaches = 0;

}  // namespace

PROBE_EXPORT int DllMain(void*, std::uint32_t reason, void*) {
    if (reason == platform::DLL_PROCESS_ATTACH) ++attaches;
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
#endif

PROBE_EXPORT void ProbeAnswer(int code) { result = code; }
PROBE_EXPORT const std::vector<std::vector<std::string>>* ProbeTableRead() { return &table; }
PROBE_EXPORT int ProbeAttaches() { return attaches; }
PROBE_EXPORT int ProbeDetaches() { return detaches; }
