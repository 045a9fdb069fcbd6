#pragma once

#include <string>

#include "platform/window_handle.h"

namespace sheet {

// The archive workbook from the list view behind the handle: answers Archive2excell's result
// (0, or -3, -5, -6, -7, -8, -9, -11).
int ExportArchive(HWND listView);

// Copies the file byte for byte: 0; -1 the source cannot be read (a message box when it cannot be
// opened) or is empty; -2 the destination cannot be written (with a message box).
int CopyTemplate(const std::string& destination, const std::string& source);

}  // namespace sheet
