#include "platform/xlsx/xlsx_refs.h"

#include <gtest/gtest.h>

#include "platform/spreadsheet/xlsx_formula.h"
#include "platform/spreadsheet/xlsx_names.h"
#include "platform/xlsx/xlsx_strings.h"

namespace {

using platform::xlsx::RowShift;

TEST(CellReferences, ColumnsAndCellsRoundTripAndRefuseWhatNamesNoCell) {
    const struct {
        int column;
        const char* name;
    } columns[] = {{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {703, "AAA"}, {16384, "XFD"}};
    for (const auto& c : columns) {
        EXPECT_EQ(platform::xlsx::ColumnName(c.column), c.name);
        EXPECT_EQ(platform::xlsx::ColumnNumber(c.name), c.column);
    }
    for (const char* bad : {"", "XFE", "AAAA", "a", "A1"})
        EXPECT_EQ(platform::xlsx::ColumnNumber(bad), 0) << bad;

    EXPECT_EQ(platform::xlsx::ParseCell("B12"), (platform::xlsx::CellAddress{12, 2}));
    EXPECT_EQ(platform::xlsx::ParseCell("XFD1048576"), (platform::xlsx::CellAddress{1048576, 16384}));
    for (const char* bad : {"", "B", "12", "B0", "B012", "$B$12", "b12", "B1048577", "XFE1", "B12 "}) {
        EXPECT_FALSE(platform::xlsx::ParseCell(bad)) << bad;
    }
    const auto area = platform::xlsx::ParseArea("C5:A1");
    ASSERT_TRUE(area);
    EXPECT_EQ(platform::xlsx::AreaName(*area), "A1:C5");
    EXPECT_EQ(platform::xlsx::AreaName(*platform::xlsx::ParseArea("D7")), "D7");
    EXPECT_FALSE(platform::xlsx::ParseArea("A1:"));
    EXPECT_FALSE(platform::xlsx::ParseArea("A:B"));
}

TEST(RowShift, SpansMoveGrowShrinkOrGo) {
    const struct {
        RowShift shift;
        int top, bottom;
        std::optional<std::pair<int, int>> expected;
    } cases[] = {
        // Inserting two rows at 10.
        {RowShift::Insert(10, 2), 3, 9, std::make_pair(3, 9)},      // above: stays
        {RowShift::Insert(10, 2), 10, 12, std::make_pair(12, 14)},  // starting there: moves
        {RowShift::Insert(10, 2), 5, 10, std::make_pair(5, 12)},    // spanning it: grows
        {RowShift::Insert(10, 2), 1048575, 1048576, std::nullopt},  // pushed off the sheet
        {RowShift::Insert(10, 2), 5, 1048576, std::make_pair(5, 1048576)},
        // Deleting rows 10..12.
        {RowShift::Delete(10, 3), 3, 9, std::make_pair(3, 9)},
        {RowShift::Delete(10, 3), 13, 20, std::make_pair(10, 17)},
        {RowShift::Delete(10, 3), 10, 12, std::nullopt},  // wholly inside: goes
        {RowShift::Delete(10, 3), 11, 11, std::nullopt},
        {RowShift::Delete(10, 3), 5, 20, std::make_pair(5, 17)},    // spanning: shrinks
        {RowShift::Delete(10, 3), 5, 11, std::make_pair(5, 9)},     // tail cut off
        {RowShift::Delete(10, 3), 11, 20, std::make_pair(10, 17)},  // head cut off
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.shift.Span(c.top, c.bottom), c.expected)
            << (c.shift.inserts() ? "insert " : "delete ") << c.top << ":" << c.bottom;
    }
    EXPECT_EQ(RowShift::Delete(10, 3).Row(11), std::nullopt);
    EXPECT_EQ(RowShift::Delete(10, 3).Row(13), 10);
    EXPECT_EQ(RowShift::Insert(10, 1).Row(1048576), std::nullopt);
}

TEST(RowShift, AreaListsDropWhatIsDeleted) {
    EXPECT_EQ(platform::xlsx::ShiftSqref("A5 B10:C12 D20", RowShift::Insert(10, 1)), "A5 B11:C13 D21");
    EXPECT_EQ(platform::xlsx::ShiftSqref("A5 B10:C12 D20", RowShift::Delete(5, 1)), "B9:C11 D19");
    EXPECT_EQ(platform::xlsx::ShiftSqref("A5", RowShift::Delete(5, 1)), "");
    EXPECT_EQ(platform::xlsx::ShiftSqref("A5 nonsense", RowShift::Delete(5, 1)), std::nullopt);
}

TEST(Formulas, ReferencesFollowMovedRowsOfTheirSheet) {
    const std::optional<std::string> onData = "Data";
    const std::optional<std::string> onOther = "Other";
    const struct {
        const char* formula;
        std::optional<std::string> home;
        RowShift shift;
        std::optional<std::string> expected;
    } cases[] = {
        {"SUM(B5:B14)*$C$20", onData, RowShift::Insert(10, 1), "SUM(B5:B15)*$C$21"},
        {"B4+B10", onData, RowShift::Insert(10, 2), "B4+B12"},
        {"A1:A3", onData, RowShift::Insert(10, 1), "A1:A3"},
        {"$5:$9", onData, RowShift::Insert(7, 1), "$5:$10"},  // whole rows
        {"A:C", onData, RowShift::Insert(1, 5), "A:C"},       // whole columns stay
        {"B10", onOther, RowShift::Insert(5, 1), "B10"},      // another sheet's own cells
        {"Data!B10+B10", onOther, RowShift::Insert(5, 1), "Data!B11+B10"},
        {"'data'!$B$10", onOther, RowShift::Insert(5, 1), "'data'!$B$11"},  // names ignore case
        {"\"B10\"&B10", onData, RowShift::Insert(5, 1), "\"B10\"&B11"},     // texts are texts
        {"LOG10(B10)+ROUND(B10,2)", onData, RowShift::Insert(5, 1), "LOG10(B11)+ROUND(B11,2)"},
        {"_xlfn.STDEV.S(B5:B9)", onData, RowShift::Delete(6, 2), "_xlfn.STDEV.S(B5:B7)"},
        {"1.5E+3*B10", onData, RowShift::Insert(1, 1), "1.5E+3*B11"},
        {"#REF!+B10", onData, RowShift::Insert(1, 1), "#REF!+B11"},
        {"SUM(B5:B9)", onData, RowShift::Delete(5, 5), std::nullopt},  // its cells are gone
        {"B7", onData, RowShift::Delete(7, 1), std::nullopt},
        {"B7", onData, RowShift::Insert(1048576, 1), "B7"},
        {"Table1[Column]", onData, RowShift::Insert(1, 1), std::nullopt},  // beyond this reader
        {"[1]Data!A1", onData, RowShift::Insert(1, 1), std::nullopt},
        {"Name1:Name2", onData, RowShift::Insert(1, 1), std::nullopt},
        {"'Канал 1'!$A$1:$H$50", std::nullopt, RowShift::Insert(32, 3), "'Канал 1'!$A$1:$H$50"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::xlsx::ShiftFormulaRows(c.formula, c.home, "Data", c.shift), c.expected)
            << c.formula;
    }
    // A defined name refers only through its qualified references.
    EXPECT_EQ(platform::xlsx::ShiftFormulaRows("'Канал 1'!$A$1:$H$50,'Канал 1'!$1:$2", std::nullopt,
                                               "КАНАЛ 1", RowShift::Insert(2, 3)),
              "'Канал 1'!$A$1:$H$53,'Канал 1'!$1:$5");
}

TEST(Formulas, RenamingASheetRewritesItsReferencesOnly) {
    const struct {
        const char* formula;
        const char* to;
        const char* expected;
    } cases[] = {
        {"'Old name'!A1+Other!B2", "New", "New!A1+Other!B2"},
        {"'OLD NAME'!A1", "Канал 2", "'Канал 2'!A1"},
        {"'Old name'!A1", "It's", "'It''s'!A1"},
        {"'Old name'!A1", "A1", "'A1'!A1"},  // a name that reads as a cell is quoted
        {"'Old name'!A1", "R2C3", "'R2C3'!A1"},
        {"Sheet1!A1", "Whatever", "Sheet1!A1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::xlsx::RenameSheetInFormula(c.formula, "Old name", c.to), c.expected) << c.formula;
    }
}

TEST(SheetNames, RefusedAsASpreadsheetRefusesThem) {
    const struct {
        std::string name;
        bool accepted;
    } cases[] = {
        {"Канал 1", true},
        {std::string(31, 'x'), true},
        {std::string(32, 'x'), false},
        {"Ж" + std::string(30, 'x'), true},  // characters, not bytes, are counted
        {"", false},
        {"a:b", false},
        {"a\\b", false},
        {"a/b", false},
        {"a?b", false},
        {"a*b", false},
        {"a[b", false},
        {"a]b", false},
        {"'quoted", false},
        {"quoted'", false},
        {"it's", true},
        {"History", false},
        {"history", false},
        {"Histories", true},
        {"tab\there", false},
        {"\xff\xfe", false},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::xlsx::CheckSheetName(c.name).ok(), c.accepted) << c.name;

    EXPECT_TRUE(platform::xlsx::SameName("Канал Ёж", "КАНАЛ ёЖ"));
    EXPECT_TRUE(platform::xlsx::SameName("ÄÖÜ Ω", "äöü ω"));
    EXPECT_FALSE(platform::xlsx::SameName("Канал 1", "Канал 2"));
}

TEST(CellTexts, CharactersXmlCannotCarryAreEscaped) {
    const struct {
        std::string text;
        std::string stored;
    } cases[] = {
        {"Протокол", "Протокол"},
        {"a\tb\nc", "a\tb\nc"},
        {std::string("a\x01"
                     "b",
                     3),
         "a_x0001_b"},
        {"a\rb", "a_x000D_b"},
        {"_x0041_", "_x005F_x0041_"},
        {"_x00", "_x00"},
        {"\xEF\xBF\xBE", "_xFFFE_"},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::xlsx::EscapeCellText(c.text), c.stored);
}

}  // namespace
