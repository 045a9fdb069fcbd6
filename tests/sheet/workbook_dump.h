#pragma once

// A workbook as a reader that is not ours (openpyxl) sees it: sheets with their names and states,
// print settings, merged ranges, and every cell that holds a value or a border.

#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct CellDump {
    std::string sides;  // the sides with a border, of "LRTB"
    std::string value;  // UTF-8; empty when the cell holds none
    std::string fit;    // how a long text is shown: "shrink", "wrap", both or "" (it runs on or is cut)
};

struct SheetDump {
    std::string name;
    std::string state;  // "visible", "hidden", "veryHidden"
    std::string paperSize;
    std::string orientation;
    std::string fitToWidth;
    std::string printArea;
    std::vector<std::string> merges;
    std::map<int, double> widths;   // by column number, the columns given a width
    std::map<int, double> heights;  // by row, in points, the rows given a height
    std::map<std::string, CellDump> cells;  // by reference ("B32")

    // The cell's value; empty when the cell is absent.
    std::string Value(const std::string& ref) const;
    // The merged range that covers the cell, "" when none.
    std::string MergeOf(const std::string& ref) const;
};

struct WorkbookDump {
    bool read = false;  // false when the reader failed; error says why
    std::string error;
    std::vector<SheetDump> sheets;  // worksheet n is sheets[n - 1]
};

WorkbookDump ReadWorkbook(const std::string& path);

// "B32" of column 2, row 32.
std::string CellRef(int column, int row);

}  // namespace testing_support
