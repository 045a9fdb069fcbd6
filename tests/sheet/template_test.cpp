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

struct ProtocolTemplate {
    const char* title;
    const sheet::PosPov& map;
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

INSTANTIATE_TEST_SUITE_P(Kinds, ProtocolTemplateTest,
                         testing::Values(ProtocolTemplate{"Протокол поверки ДД", sheet::kVerificationMap},
                                         ProtocolTemplate{"Протокол калибровки ДД", sheet::kCalibrationMap}),
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
