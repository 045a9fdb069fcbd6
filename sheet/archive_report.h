#pragma once

#include "platform/window_handle.h"

namespace sheet {

// The archive workbook from the list view behind the handle: answers Archive2excell's result
// (0, or -3, -5, -6, -7, -8, -9, -11).
int ExportArchive(HWND listView);

}  // namespace sheet
