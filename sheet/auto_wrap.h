#pragma once

#include "platform/automation/automation.h"

namespace sheet {

using platform::HRESULT;
using platform::OLECHAR;
using platform::VARIANT;

// Looks the member up by name on the object and invokes it with kind (DISPATCH_METHOD,
// DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT) and count by-value VARIANT arguments, given LAST
// PARAMETER FIRST (Cells(row, column) is called with the column, then the row). result may be
// null. The arguments stay the caller's. Every failure leaves one debug line; answers the
// invoke's code, or the look-up's, E_UNEXPECTED for a missing object, -1 when the look-up threw.
HRESULT AutoWrap(int kind, VARIANT* result, VARIANT* object, const OLECHAR* name, int count, ...);

// The text of an automation failure code, for the debug lines.
const char* DispErrorText(HRESULT code);

}  // namespace sheet
