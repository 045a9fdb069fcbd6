#include "tests/sheet/workbook_dump.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/support/workbook_reader.h"

namespace testing_support {
namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

std::string FromHex(const std::string& digits) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Column and row of "B32".
bool SplitRef(const std::string& ref, int& column, int& row) {
    column = 0;
    std::size_t i = 0;
    for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i) column = column * 26 + (ref[i] - 'A' + 1);
    if (i == 0 || i == ref.size()) return false;
    row = std::stoi(ref.substr(i));
    return true;
}

}  // namespace

std::string CellRef(int column, int row) {
    std::string letters;
    for (int n = column; n > 0; n = (n - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    return letters + std::to_string(row);
}

std::string SheetDump::Value(const std::string& ref) const {
    const auto found = cells.find(ref);
    return found == cells.end() ? std::string() : found->second.value;
}

std::string SheetDump::MergeOf(const std::string& ref) const {
    int column = 0, row = 0;
    if (!SplitRef(ref, column, row)) return "";
    for (const std::string& range : merges) {
        const std::size_t colon = range.find(':');
        int c1 = 0, r1 = 0, c2 = 0, r2 = 0;
        if (!SplitRef(range.substr(0, colon), c1, r1) || !SplitRef(range.substr(colon + 1), c2, r2)) continue;
        if (column >= c1 && column <= c2 && row >= r1 && row <= r2) return range;
    }
    return "";
}

WorkbookDump ReadWorkbook(const std::string& path) {
    WorkbookDump dump;
    const std::string output = RunPython(ReadFile(ZKV_DUMP_SCRIPT), {path});
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> f = SplitTabs(line);
        if (f[0] == "sheet" && f.size() == 4) {
            dump.sheets.push_back(SheetDump{});
            dump.sheets.back().name = f[2];
            dump.sheets.back().state = f[3];
        } else if (dump.sheets.empty()) {
            dump.error = "unexpected line before a sheet: " + line;
            return dump;
        } else if (f[0] == "print" && f.size() == 6) {
            SheetDump& sheet = dump.sheets.back();
            sheet.paperSize = f[2];
            sheet.orientation = f[3];
            sheet.fitToWidth = f[4];
            sheet.printArea = f[5];
        } else if (f[0] == "merge" && f.size() == 3) {
            dump.sheets.back().merges.push_back(f[2]);
        } else if (f[0] == "cell" && f.size() == 6) {
            dump.sheets.back().cells[f[2]] = CellDump{f[3], FromHex(f[4]), f[5]};
        } else if (f[0] == "width" && f.size() == 4) {
            dump.sheets.back().widths[std::stoi(f[2])] = std::stoi(f[3]) / 100.0;
        } else if (f[0] == "height" && f.size() == 4) {
            dump.sheets.back().heights[std::stoi(f[2])] = std::stoi(f[3]) / 100.0;
        } else {
            dump.error = "unexpected line: " + line;
            return dump;
        }
    }
    dump.read = !dump.sheets.empty();
    if (!dump.read) dump.error = "the reader found no sheet";
    return dump;
}

}  // namespace testing_support
