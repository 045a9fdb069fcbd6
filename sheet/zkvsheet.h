#pragma once

// The exports of the report library zkvsheet.so, looked up by name after loading it. The record
// layout is in platform/report_record.h, shared with the workstation.

#include <cstdint>

#include "platform/automation/window_handle.h"
#include "sheet/report_record.h"

#define ZKVSHEET_EXPORT extern "C" __attribute__((visibility("default")))

// 0 the protocol is filled, saved and shown; -1 a null record, or the record or its cell map
// failed the checks; the protocol step's own codes otherwise.
ZKVSHEET_EXPORT int FormReport(const sheet::TAllTextToExcel* record);
// 0 the archive table is in a workbook, shown; the archive step's codes otherwise.
ZKVSHEET_EXPORT int Archive2excell(HWND listView);
// 0 the build stamp was copied; -1 the buffer is missing or too small (it stays untouched).
ZKVSHEET_EXPORT int GetVersionDll(char* buffer, unsigned size);
// The load and unload callback (see platform/library_loader.h): refuses the load when OLE cannot
// be initialised on the loading thread.
ZKVSHEET_EXPORT int DllMain(void* instance, std::uint32_t reason, void* reserved);

using FormReportFunction = platform::FormReportFunction;
using Archive2excellFunction = int (*)(HWND);
using GetVersionDllFunction = int (*)(char*, unsigned);
