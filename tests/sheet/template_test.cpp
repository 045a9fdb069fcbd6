// The templates as installed beside the executable, read back by openpyxl: every cell the
// protocol and archive workbooks write must be a free cell of its worksheet (not hidden inside a
// merged range), empty in the template, in the rows the fillers count on.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "sheet/cell_maps.h"
#include "tests/sheet/workbook_dump.h"
#include "tests/support/workbook_reader.h"

namespace {

using testing_support::CellRef;
using testing_support::ReadWorkbook;
using testing_support::SheetDump;
using testing_support::WorkbookDump;

constexpr int kFirstPointRow = 32;
constexpr int kTemplatePointRows = 10;

std::string TemplatePath(const std::string& title) {
    return std::string(ZKV_TEMPLATE_DIR) + "/" + title + ".xlsx";
}

// Where a filler writes must be a free cell: alone, or the first cell of its merged range.
void ExpectWritable(const SheetDump& sheet, const std::string& ref) {
    const std::string merge = sheet.MergeOf(ref);
    EXPECT_TRUE(merge.empty() || merge.rfind(ref + ":", 0) == 0) << ref << " lies inside " << merge;
    EXPECT_EQ(sheet.Value(ref), "") << ref << " already holds a text";
}

std::vector<std::string> PlacedCells(const sheet::PosPov& map, int pointRows) {
    std::vector<std::string> cells;
    auto add = [&](const sheet::CellPos& cell, int down) {
        if (cell.Row >= 1) cells.push_back(CellRef(cell.Column - 64, cell.Row + down));
    };
    for (const sheet::CellPos& cell : map.HeaderCells) add(cell, 0);
    for (const sheet::CellPos& cell : map.FooterCells) add(cell, 0);
    for (int p = 0; p < pointRows; ++p) {
        for (const sheet::CellPos& cell : map.PointCols) add(cell, p);
    }
    return cells;
}

// How much of a sheet a cell's text has, merged range included: width in characters, height in points.
struct Room {
    double width = 0;
    double height = 0;
};

Room RoomOf(const SheetDump& sheet, const std::string& ref) {
    const std::string merge = sheet.MergeOf(ref);
    const std::string first = merge.empty() ? ref : merge.substr(0, merge.find(':'));
    const std::string last = merge.empty() ? ref : merge.substr(merge.find(':') + 1);
    const auto split = [](const std::string& cell, int& column, int& row) {
        std::size_t i = 0;
        for (column = 0; i < cell.size() && cell[i] >= 'A' && cell[i] <= 'Z'; ++i)
            column = column * 26 + (cell[i] - 'A' + 1);
        row = std::stoi(cell.substr(i));
    };
    int left = 0, top = 0, right = 0, bottom = 0;
    split(first, left, top);
    split(last, right, bottom);
    Room room;
    for (int column = left; column <= right; ++column)
        room.width += sheet.widths.count(column) ? sheet.widths.at(column) : 8.43;
    for (int row = top; row <= bottom; ++row)
        room.height += sheet.heights.count(row) ? sheet.heights.at(row) : 12.75;
    return room;
}

std::size_t Characters(const std::string& utf8) {
    std::size_t count = 0;
    for (unsigned char c : utf8) count += (c & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

// Conservatively, a character of a text in the sheet's 10-point font needs 1.1 of the width unit (the
// width of a digit), and a line 12.75 points.
constexpr double kCharacterWidth = 1.1;
constexpr double kLineHeight = 12.75;
// The longest name, document or verdict a protocol gets into one of its 80-byte slots.
constexpr std::size_t kLongestText = 79;

// Shrunk to fit, or wrapped onto as many lines as its rows hold: either way the whole text is printed.
void ExpectShownWhole(const SheetDump& sheet, const std::string& ref) {
    const std::string fit = sheet.cells.count(ref) ? sheet.cells.at(ref).fit : "";
    if (fit.find("shrink") != std::string::npos) return;
    ASSERT_NE(fit.find("wrap"), std::string::npos) << ref << " neither shrinks nor wraps its text";
    const Room room = RoomOf(sheet, ref);
    const auto perLine = static_cast<std::size_t>(room.width / kCharacterWidth);
    const std::size_t lines = (kLongestText + perLine - 1) / perLine;
    EXPECT_LE(static_cast<double>(lines) * kLineHeight, room.height)
        << ref << " wraps " << kLongestText << " characters onto " << lines << " lines";
}

struct ProtocolTemplate {
    const char* title;
    const sheet::PosPov& map;
    std::vector<std::string> longTexts;  // the cells that get a name, a document or a verdict
};

void PrintTo(const ProtocolTemplate& kind, std::ostream* out) { *out << kind.title; }

class ProtocolTemplateTest : public testing::TestWithParam<ProtocolTemplate> {};

TEST_P(ProtocolTemplateTest, FourChannelSheetsPrintedOnA4WithEveryMappedCellFree) {
    const WorkbookDump book = ReadWorkbook(TemplatePath(GetParam().title));
    ASSERT_TRUE(book.read) << book.error;
    EXPECT_EQ(testing_support::RepairProblems(TemplatePath(GetParam().title)), std::vector<std::string>{});
    ASSERT_EQ(book.sheets.size(), 4u);
    const sheet::PosPov& map = GetParam().map;
    for (std::size_t n = 0; n < book.sheets.size(); ++n) {
        const SheetDump& sheet = book.sheets[n];
        SCOPED_TRACE("worksheet " + std::to_string(n + 1));
        EXPECT_EQ(sheet.name, "Канал " + std::to_string(n + 1));
        EXPECT_EQ(sheet.state, "visible");
        EXPECT_EQ(sheet.paperSize, "9");
        EXPECT_EQ(sheet.orientation, "portrait");
        EXPECT_EQ(sheet.fitToWidth, "1");
        EXPECT_EQ(sheet.printArea, "$A$1:$J$48");
        for (const std::string& ref : PlacedCells(map, kTemplatePointRows)) ExpectWritable(sheet, ref);
    }
}

TEST_P(ProtocolTemplateTest, TenRuledPointRowsWithTheFooterBelowThem) {
    const WorkbookDump book = ReadWorkbook(TemplatePath(GetParam().title));
    ASSERT_TRUE(book.read) << book.error;
    const SheetDump& sheet = book.sheets.at(0);
    const sheet::PosPov& map = GetParam().map;
    for (const sheet::CellPos& column : map.PointCols) {
        if (column.Row < 1) continue;
        EXPECT_EQ(column.Row, kFirstPointRow);
        for (int p = 0; p < kTemplatePointRows; ++p) {
            const std::string ref = CellRef(column.Column - 64, column.Row + p);
            const std::string sides = sheet.cells.count(ref) ? sheet.cells.at(ref).sides : "";
            EXPECT_NE(sides.find('T'), std::string::npos) << ref;
            EXPECT_NE(sides.find('B'), std::string::npos) << ref;
        }
    }
    // Rows inserted after the first point row push the footer down; it must lie below them all.
    for (const sheet::CellPos& footer : map.FooterCells) {
        if (footer.Row < 1) continue;
        EXPECT_GE(footer.Row, kFirstPointRow + kTemplatePointRows) << footer.Row;
    }
    // The heading of every written point column stands above it.
    for (const sheet::CellPos& column : map.PointCols) {
        if (column.Row < 1) continue;
        EXPECT_NE(sheet.Value(CellRef(column.Column - 64, kFirstPointRow - 3)), "") << column.Column;
    }
}

TEST_P(ProtocolTemplateTest, NamesDocumentsAndVerdictsPrintWhole) {
    const WorkbookDump book = ReadWorkbook(TemplatePath(GetParam().title));
    ASSERT_TRUE(book.read) << book.error;
    for (const SheetDump& sheet : book.sheets) {
        SCOPED_TRACE(sheet.name);
        for (const std::string& ref : GetParam().longTexts) ExpectShownWhole(sheet, ref);
    }
}

TEST(CalibrationTemplateTest, UncertaintyHeadingBreaksBetweenWordsIntoLinesThatFit) {
    const WorkbookDump book = ReadWorkbook(TemplatePath("Протокол калибровки ДД"));
    ASSERT_TRUE(book.read) << book.error;
    const SheetDump& sheet = book.sheets.at(0);
    const std::string heading = sheet.Value("F29");
    std::vector<std::string> lines;
    std::string joined;
    for (std::size_t start = 0;;) {
        const std::size_t end = heading.find('\n', start);
        lines.push_back(heading.substr(start, end == std::string::npos ? end : end - start));
        joined += (joined.empty() ? "" : " ") + lines.back();
        if (end == std::string::npos) break;
        start = end + 1;
    }
    EXPECT_EQ(joined, "Расширенная неопределённость (k = 2)");
    const Room room = RoomOf(sheet, "F29");
    for (const std::string& line : lines)
        EXPECT_LE(static_cast<double>(Characters(line)) * kCharacterWidth, room.width) << line;
    EXPECT_LE(static_cast<double>(lines.size()) * kLineHeight * 0.9, room.height);  // a 9-point font
}

INSTANTIATE_TEST_SUITE_P(Kinds, ProtocolTemplateTest,
                         testing::Values(ProtocolTemplate{"Протокол поверки ДД",
                                                          sheet::kVerificationMap,
                                                          {"C6", "E7", "F10", "A15", "G47", "A44"}},
                                         ProtocolTemplate{"Протокол калибровки ДД",
                                                          sheet::kCalibrationMap,
                                                          {"C6", "E7", "F10", "A15", "H46"}}),
                         [](const testing::TestParamInfo<ProtocolTemplate>& kind) {
                             return kind.index == 0 ? std::string("Verification")
                                                    : std::string("Calibration");
                         });

TEST(ArchiveTemplateTest, HeadedTableWithThreeRuledDataRowsAndAFreeTitleCell) {
    const WorkbookDump book = ReadWorkbook(TemplatePath("Архив ЗКВ"));
    ASSERT_TRUE(book.read) << book.error;
    EXPECT_EQ(testing_support::RepairProblems(TemplatePath("Архив ЗКВ")), std::vector<std::string>{});
    ASSERT_EQ(book.sheets.size(), 1u);
    const SheetDump& sheet = book.sheets[0];
    EXPECT_EQ(sheet.paperSize, "9");
    EXPECT_EQ(sheet.orientation, "landscape");
    EXPECT_EQ(sheet.fitToWidth, "1");
    EXPECT_EQ(sheet.printArea, "$B$2:$R$7");
    ExpectWritable(sheet, "H2");
    for (int column = 2; column <= 18; ++column) {
        for (int row = 5; row <= 7; ++row) {
            const std::string ref = CellRef(column, row);
            ExpectWritable(sheet, ref);
            EXPECT_EQ(sheet.cells.count(ref) ? sheet.cells.at(ref).sides : "", "LRTB") << ref;
        }
        // Each column has its heading in row 4, or in a heading merged over rows 3 and 4.
        const std::string heading = CellRef(column, 4);
        const std::string merge = sheet.MergeOf(heading);
        const std::string first = merge.empty() ? heading : merge.substr(0, merge.find(':'));
        EXPECT_NE(sheet.Value(first), "") << heading;
    }
}

}  // namespace
