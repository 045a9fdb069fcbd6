#pragma once

#include <string_view>

#include "platform/automation/window_handle.h"

namespace sheet {

// The library's diagnostic output. Every text reaches the debug sink; only the traces also reach
// the list box of a diagnostic window (class "testClass"), when one exists.
void DebugOut(std::string_view text);
void TraceStr(std::string_view text);              // " %s "
void TraceInt(std::string_view text, int number);  // " %s  %d "

// Appends the line to the diagnostic list box and selects it; the box is searched for until one
// is found, then kept for the rest of the load (searched again once it has gone).
void DebugListAdd(std::string_view line);
HWND FindDebugListBox();
// Forgets the kept list box (at unload).
void ForgetDebugListBox();

}  // namespace sheet
