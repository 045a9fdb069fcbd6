#pragma once

#include <map>
#include <string>
#include <vector>

namespace testing_support {

// Runs a Python script under the interpreter that has openpyxl, with the arguments as sys.argv[1:],
// and returns what it printed. A script that fails fails the test, with its error output.
std::string RunPython(const std::string& script, const std::vector<std::string>& args = {});

// A workbook as openpyxl, a reader that is not ours, reads it. Keys name a sheet's title, and "!" and
// the cell ("Канал 1!B5") or row ("Канал 1!5") where they are about one.
struct OpenpyxlView {
    std::string error;                          // why openpyxl could not load it; empty when it could
    std::vector<std::string> sheets;            // titles in workbook order
    std::map<std::string, std::string> states;  // "visible", "hidden", "veryHidden"
    std::string active;                         // the title of the sheet shown
    std::map<std::string, std::string> values;  // every cell holding a value, as str()
    std::map<std::string, std::string> styles;  // every cell: "bold fill=FFFF0000 border=thin fmt=General"
    std::map<std::string, std::string> rows;    // rows with own attributes: "ht=30 hidden"
    std::map<std::string, std::string> merges;  // per sheet, sorted, blank-separated
    std::map<std::string, std::string> printAreas;
    std::map<std::string, std::string> printTitles;
    std::map<std::string, std::string> pageSetups;   // "landscape paper=9 fitW=1 footer=..."
    std::map<std::string, std::string> pageBreaks;   // the rows manual page breaks follow, blank-separated
    std::map<std::string, std::string> formats;      // conditional formats' areas per sheet, sorted
    std::map<std::string, std::string> validations;  // validations' areas per sheet, sorted
    std::map<std::string, std::string> links;        // hyperlink targets by cell
    std::vector<std::string> ValuesOf(const std::string& sheet, const std::string& column, int fromRow,
                                      int toRow) const;
};
OpenpyxlView ReadWithOpenpyxl(const std::string& path);

// What would make a spreadsheet offer to repair the file, checked on the package's XML by a script:
// unparsable parts, parts without a content type or a relationship without its part, rows or cells out
// of order or twice, cells outside their row, overlapping or one-cell merges, counts that do not match,
// shared string or style indexes past their tables, sheet names a spreadsheet refuses, no visible
// sheet, a hidden sheet on show. Empty when none is found.
std::vector<std::string> RepairProblems(const std::string& path);

}  // namespace testing_support
