#pragma once

#include <optional>
#include <string>

#include "platform/automation/window_handle.h"
#include "sheet/working_copy.h"

namespace sheet {

// The archive workbook from the list view behind the handle: answers Archive2excell's result
// (0, or -3, -5, -6, -7, -8, -9, -11). The workbook is made in a copy of the template beside the
// output and written to the output whole only when it is complete (-3 with its message when that
// fails); a failed export leaves an earlier output of the day as it was.
int ExportArchive(HWND listView);

// Copies the template byte for byte into the working copy beside the destination, which is not
// touched: 0; -1 the source cannot be read (a message box when it cannot be opened) or is empty;
// -2 the copy cannot be written beside the destination (with a message box naming the destination).
int CopyTemplate(const std::string& destination, const std::string& source, std::optional<WorkingCopy>& copy);

}  // namespace sheet
