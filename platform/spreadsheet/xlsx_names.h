#pragma once

#include <string>
#include <string_view>

#include "platform/xlsx/xlsx_status.h"

namespace platform::xlsx {

// Sheet names compare without regard to case, as a spreadsheet compares them: Latin, Cyrillic and Greek
// letters fold to lower case.
std::string FoldCase(std::string_view utf8);
bool SameName(std::string_view a, std::string_view b);

// Whether a spreadsheet accepts the text as a sheet's name at all (uniqueness is the workbook's to check).
Status CheckSheetName(std::string_view utf8);

// The text of a sheet name as a formula writes it before '!': bare when it can be, quoted otherwise.
std::string SheetPrefix(std::string_view name);

}  // namespace platform::xlsx
