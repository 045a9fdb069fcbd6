#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/automation/automation.h"

namespace platform {

// The spreadsheet application, installed under the ProgID "Excel.Application": an in-process automation
// server over .xlsx workbooks. It offers the members the report library calls and answers every other
// name with DISP_E_UNKNOWNNAME:
//   application  Quit (method), Visible (put), Workbooks (get), Selection (get), CutCopyMode (put)
//   workbooks    Open (method, path)
//   workbook     Worksheets (get), Save (method)
//   worksheets   Item (get, number from 1, hidden sheets counted)
//   worksheet    Cells (get, row and column), Name (put), Select (method), Visible (put), Rows (get, "5:7")
//   rows         Delete, Select (methods)
//   selection    Copy, Insert (methods)
//   cell         Value (put), Select (method)
// A call the workbook refuses fails with DISP_E_EXCEPTION and changes nothing.
HRESULT CreateSpreadsheetApplication(IDispatch** object);

// What every call of an application that has quit fails with, as calls to a server that has gone do.
constexpr HRESULT RPC_E_DISCONNECTED = HresultOf(0x80010108);

// How a workbook made visible reaches the user: the desktop's program opens it when a display exists.
struct SpreadsheetDesktop {
    std::function<bool()> hasDisplay;
    std::function<void(const std::string& path)> openDocument;
};
// Replaces the members given (empty members keep the real behaviour); returns the previous ones.
SpreadsheetDesktop SetSpreadsheetDesktop(SpreadsheetDesktop desktop);

// Tests: every later call of the member fails with the code and has no effect. `member` is a member's
// name ("Insert", for every receiver) or a receiver's member ("rows.Select"); the receivers are named as
// above. S_OK lifts the failure again.
void FailSpreadsheetMember(std::string_view member, HRESULT code = DISP_E_EXCEPTION);
void ClearSpreadsheetFailures();

}  // namespace platform
