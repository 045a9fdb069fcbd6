#pragma once

#include <string>
#include <string_view>

#include "platform/xlsx_status.h"

namespace platform::xlsx {

// Sheet names compare without regard to case, as a spreadsheet compares them: Latin, Cyrillic and Greek
// letters fold to lower case. Invalid UTF-8 folds byte for byte.
std::string FoldCase(std::string_view utf8);
bool SameName(std::string_view a, std::string_view b);

// Whether a spreadsheet accepts the text as a sheet's name at all (uniqueness is the workbook's to check).
Status CheckSheetName(std::string_view utf8);

// The text of a sheet name as a formula writes it before '!': bare when it can be, quoted otherwise.
std::string SheetPrefix(std::string_view name);

// UTF-8 <-> UTF-16 for texts that cross the automation boundary; nullopt-like failure as false.
bool Utf8ToUtf16(std::string_view utf8, std::u16string& out);
bool Utf16ToUtf8(std::u16string_view utf16, std::string& out);

}  // namespace platform::xlsx
