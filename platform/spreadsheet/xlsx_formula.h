#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/xlsx/xlsx_refs.h"

namespace platform::xlsx {

// One end of a reference as a formula writes it: "$B12" (cell), "12" (a row range's end), "B" (a column
// range's end). Zero means the part is absent.
struct RefEnd {
    bool absoluteColumn = false;
    int column = 0;
    bool absoluteRow = false;
    int row = 0;
};

struct FormulaRef {
    std::optional<std::string> sheet;  // the sheet's name (unquoted) when the reference names one
    RefEnd first;
    std::optional<RefEnd> second;  // the end after ':' of a range
};

// Calls the rewriter for every reference of an A1 formula and writes them back as it leaves them.
// nullopt when the formula holds something this reader does not understand (external books, tables,
// three-dimensional references) or the rewriter gives up on a reference.
using RefRewriter = std::function<bool(FormulaRef&)>;
std::optional<std::string> RewriteFormulaRefs(std::string_view formula, const RefRewriter& rewriter);

// The formula after rows of `sheet` moved; references elsewhere are left as they are. An unqualified
// reference means the formula's own sheet (`home`; none for a defined name). nullopt when a reference
// would lose its cells.
std::optional<std::string> ShiftFormulaRows(std::string_view formula, const std::optional<std::string>& home,
                                            const std::string& sheet, const RowShift& shift);

// The formula with every reference to the sheet `from` naming `to` instead.
std::optional<std::string> RenameSheetInFormula(std::string_view formula, const std::string& from,
                                                const std::string& to);

}  // namespace platform::xlsx
