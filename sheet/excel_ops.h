#pragma once

// The small object operations the protocol and archive workbooks are built from. Objects are
// VARIANTs holding an object reference; results are written into VARIANTs the caller initialised
// and owns afterwards. Texts are code page 1251 (as the report record holds them); file paths are
// the file system's own (UTF-8). Results: 0 success, a small negative number for a failure,
// unless said otherwise. Every temporary reference is given back on every path.

#include <cstdint>
#include <string_view>

#include "platform/automation/automation.h"

namespace sheet {

using platform::BSTR;
using platform::HRESULT;
using platform::OLECHAR;
using platform::VARIANT;

// -1 when the name or text is missing, the text cannot be converted or the put fails.
int PutPropStr(VARIANT* object, const OLECHAR* name, std::string_view text);
// -1 when the put fails.
int PutPropBool(VARIANT* object, const OLECHAR* name, bool value);
// A method without arguments or result; answers the invoke's code.
HRESULT CallMethod(VARIANT* object, const OLECHAR* name);

int CreateAutoObject(const char* progId, VARIANT* result);
int CreateExcel(VARIANT* application);
HRESULT QuitExcel(VARIANT* application);
int SetVisible(VARIANT* object);

// -1 an argument missing; -2 no such file; -3 Workbooks failed; -4 path not convertible. What the
// application's own Open answers is not looked at: a file it cannot open leaves the workbook
// empty, and the caller's next step fails on it.
int OpenWorkbook(VARIANT* application, VARIANT* workbook, const char* path);
// Method SaveAs(path) of the workbook: the application writes it to the path, which becomes its
// own. 0; -1 the path cannot be converted or the application could not write it.
int SaveWorkbookAs(VARIANT* workbook, const char* path);
// -1 Worksheets failed; -2 Item(n) failed.
int GetWorksheet(VARIANT* worksheet, VARIANT* workbook, std::int32_t n);

// A new string holding the code page 1251 text; null for an empty text. The caller frees it.
BSTR StrToBstr(std::string_view text);

// Cells(row, column) into the result, its outcome not looked at; -1 without a call when the row or
// column is below 1.
int GetCell(VARIANT* cell, VARIANT* worksheet, std::int32_t column, std::int32_t row);
int PutValue(VARIANT* cell, std::string_view text);
// 0 also when nothing is sent: an empty text, no worksheet, a row or column below 1.
int SetCellText(VARIANT* worksheet, std::int32_t column, std::int32_t row, std::string_view text);
int PutName(VARIANT* object, std::string_view text);
// Leaves copy mode and selects A1; always 0.
int ClearCopyMode(VARIANT* application, VARIANT* worksheet);
// Rows("first:last"); -2 the text cannot be made; -1 Rows failed.
int GetRows(VARIANT* rows, VARIANT* worksheet, std::int32_t first, std::int32_t last);
int DeleteRow(VARIANT* worksheet, std::int32_t row);
// Copies the row and inserts the copy n times, so that the row then stands n + 1 times.
// -1 the row cannot be got, -2 it cannot be selected (both stop before anything is copied or
// inserted), -5 an insert failed (the others are still made).
int DuplicateRow(VARIANT* application, VARIANT* worksheet, std::int32_t row, std::int32_t n);

}  // namespace sheet
