#include "sheet/excel_ops.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/sheet/automation_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace platform;
using namespace sheet;
using testing_support::Lines;

class ExcelOps : public testing_support::AutomationTest {};

// "Лист 1" and "Годен" as the report record holds them, in code page 1251.
const std::string kSheetName = "\xCB\xE8\xF1\xF2 1";
const std::string kVerdict = "\xC3\xEE\xE4\xE5\xED";

TEST_F(ExcelOps, TextAndFlagPropertiesAreConvertedAndPut) {
    VARIANT* sheet = Object("Sheet");
    EXPECT_EQ(PutPropStr(sheet, u"Name", kSheetName), 0);
    EXPECT_EQ(PutName(sheet, kSheetName), 0);
    EXPECT_EQ(PutPropBool(sheet, u"Visible", false), 0);
    EXPECT_EQ(SetVisible(sheet), 0);
    EXPECT_EQ(world.Lines(), (Lines{"Sheet put Name(\"Лист 1\")", "Sheet put Name(\"Лист 1\")",
                                    "Sheet put Visible(bool:0)", "Sheet put Visible(bool:-1)"}));

    // Nothing is sent for a missing name or an empty text; a refused put is -1.
    world.Fail("Name", DISP_E_EXCEPTION);
    world.Fail("Visible", DISP_E_EXCEPTION);
    const std::size_t before = world.calls().size();
    EXPECT_EQ(PutPropStr(sheet, nullptr, kSheetName), -1);
    EXPECT_EQ(PutPropStr(sheet, u"Name", ""), -1);
    EXPECT_EQ(PutName(sheet, ""), -1);
    EXPECT_EQ(world.calls().size(), before);
    EXPECT_TRUE(debug.lines.empty());
    EXPECT_EQ(PutName(sheet, kSheetName), -1);
    EXPECT_EQ(PutPropBool(sheet, u"Visible", true), -1);
    EXPECT_EQ(SetVisible(sheet), -1);
    EXPECT_EQ(debug.lines.size(), 3u);
}

TEST_F(ExcelOps, MethodsAnswerTheInvokesOwnCode) {
    VARIANT* application = Object("Excel");
    EXPECT_EQ(CallMethod(application, u"Calculate"), S_OK);
    EXPECT_EQ(QuitExcel(application), S_OK);
    world.Fail("Quit", DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(QuitExcel(application), DISP_E_MEMBERNOTFOUND);
    // An application whose server has died ends the call at the look-up.
    world.ThrowOnLookup("Quit");
    EXPECT_EQ(QuitExcel(application), -1);
    EXPECT_EQ(world.Lines(),
              (Lines{"Excel method Calculate()", "Excel method Quit()", "Excel method Quit()"}));
}

TEST_F(ExcelOps, TheApplicationIsCreatedByItsProgId) {
    VARIANT* application = Empty();
    ASSERT_EQ(CreateExcel(application), 0);
    EXPECT_EQ(application->vt, VT_DISPATCH);
    EXPECT_EQ(world.alive(), 1);
    EXPECT_TRUE(debug.lines.empty());

    VARIANT* other = Empty();
    EXPECT_EQ(CreateAutoObject("No.Such.Application", other), -1);
    EXPECT_EQ(other->vt, VT_EMPTY);
    EXPECT_EQ(debug.lines, Lines{"Ошибка сервера"});

    // Not installed on this machine.
    RegisterServer(u"Excel.Application", {});
    EXPECT_EQ(CreateExcel(other), -1);
    // Installed, but its server fails to start.
    RegisterServer(u"Excel.Application", [](IDispatch**) { return E_OUTOFMEMORY; });
    EXPECT_EQ(CreateExcel(other), -1);
    EXPECT_EQ(other->vt, VT_EMPTY);
    EXPECT_EQ(debug.lines, (Lines{"Ошибка сервера", "Ошибка сервера", "Ошибка сервера"}));
    EXPECT_EQ(world.alive(), 1);
}

class WorkbookFile : public ExcelOps {
  protected:
    void SetUp() override {
        ExcelOps::SetUp();
        path = folder.file("Протокол поверки ДД.xlsx");
        std::ofstream(path) << "workbook";
    }
    testing_support::TempFolder folder;
    std::string path;
};

TEST_F(WorkbookFile, OpenGoesThroughWorkbooksAndGivesItBack) {
    VARIANT* application = Object("Excel");
    VARIANT* workbook = Empty();
    ASSERT_EQ(OpenWorkbook(application, workbook, path.c_str()), 0);
    EXPECT_EQ(world.Lines(), (Lines{"Excel get Workbooks()", "Workbooks method Open(\"" + path + "\")"}));
    EXPECT_EQ(workbook->vt, VT_DISPATCH);
    EXPECT_EQ(world.alive(), 2);  // the application and the workbook; Workbooks was given back
    EXPECT_TRUE(debug.lines.empty());
}

TEST_F(WorkbookFile, OpenFailuresHaveTheirCodes) {
    VARIANT* application = Object("Excel");
    VARIANT* workbook = Empty();
    const std::string missing = folder.file("missing.xlsx");
    const struct {
        VARIANT* application;
        VARIANT* workbook;
        const char* path;
        int expected;
    } cases[] = {
        {nullptr, workbook, path.c_str(), -1},
        {application, nullptr, path.c_str(), -1},
        {application, workbook, nullptr, -1},
        {application, workbook, missing.c_str(), -2},
        {application, workbook, folder.path().c_str(), -2},  // a folder is not a workbook file
        {application, workbook, "", -2},
    };
    for (const auto& c : cases) EXPECT_EQ(OpenWorkbook(c.application, c.workbook, c.path), c.expected);
    EXPECT_TRUE(world.calls().empty());

    world.Fail("Workbooks", DISP_E_EXCEPTION);
    EXPECT_EQ(OpenWorkbook(application, workbook, path.c_str()), -3);
    EXPECT_EQ(debug.lines.size(), 1u);
    EXPECT_EQ(workbook->vt, VT_EMPTY);
}

TEST_F(WorkbookFile, WhatOpenAnswersIsLeftToTheNextStep) {
    VARIANT* application = Object("Excel");
    VARIANT* workbook = Empty();
    world.Fail("Open", DISP_E_EXCEPTION);
    EXPECT_EQ(OpenWorkbook(application, workbook, path.c_str()), 0);
    EXPECT_EQ(workbook->vt, VT_EMPTY);
    VARIANT* worksheet = Empty();
    EXPECT_EQ(GetWorksheet(worksheet, workbook, 1), -1);
    EXPECT_EQ(debug.lines.back(), "AutoWrap(): IDispatch== 0");
}

TEST_F(ExcelOps, WorksheetIsAnItemOfWorksheets) {
    VARIANT* workbook = Object("Book");
    VARIANT* worksheet = Empty();
    ASSERT_EQ(GetWorksheet(worksheet, workbook, 3), 0);
    EXPECT_EQ(world.Lines(), (Lines{"Book get Worksheets()", "Worksheets get Item(i4:3)"}));
    EXPECT_EQ(world.alive(), 2);

    VARIANT* other = Empty();
    world.Fail("Item", DISP_E_BADINDEX);
    EXPECT_EQ(GetWorksheet(other, workbook, 9), -2);
    world.Fail("Worksheets", DISP_E_EXCEPTION);
    EXPECT_EQ(GetWorksheet(other, workbook, 1), -1);
    EXPECT_EQ(other->vt, VT_EMPTY);
    EXPECT_EQ(debug.lines.size(), 2u);
    EXPECT_EQ(world.alive(), 2);
}

TEST(StrToBstr, ConvertsCodePage1251AndNothingOfAnEmptyText) {
    BSTR text = StrToBstr(kVerdict);
    EXPECT_EQ(BstrView(text), u"Годен");
    SysFreeString(text);
    EXPECT_EQ(StrToBstr(""), nullptr);
    // Read no further than the text's own bytes.
    const char slot[4] = {'a', 'b', 'c', 'd'};
    text = StrToBstr(std::string_view(slot, 2));
    EXPECT_EQ(BstrView(text), u"ab");
    SysFreeString(text);
}

TEST_F(ExcelOps, CellsAreAddressedRowThenColumn) {
    VARIANT* sheet = Object("Sheet");
    VARIANT* cell = Empty();
    EXPECT_EQ(GetCell(cell, sheet, 2, 32), 0);
    EXPECT_EQ(world.Lines(), Lines{"Sheet get Cells(int:32, int:2)"});
    EXPECT_EQ(PutValue(cell, kVerdict), 0);
    EXPECT_EQ(world.calls().back().Line(), "Cells(int:32,int:2) put Value(\"Годен\")");

    // Below the first row or column: no call. A failing Cells is not looked at.
    VARIANT* other = Empty();
    EXPECT_EQ(GetCell(other, sheet, 1, 0), -1);
    EXPECT_EQ(GetCell(other, sheet, 0, 1), -1);
    EXPECT_EQ(world.calls().size(), 2u);
    world.Fail("Cells", DISP_E_BADINDEX);
    EXPECT_EQ(GetCell(other, sheet, 1, 1), 0);
    EXPECT_EQ(other->vt, VT_EMPTY);
}

TEST_F(ExcelOps, CellTextIsWrittenOrSkippedWithoutACall) {
    VARIANT* sheet = Object("Sheet");
    const struct {
        VARIANT* sheet;
        std::int32_t column;
        std::int32_t row;
        std::string text;
    } skipped[] = {
        {sheet, 2, 32, ""},         {sheet, 2, 0, kVerdict}, {sheet, 0, 32, kVerdict},
        {sheet, 2, -968, kVerdict},  // a point row of a slot the map does not place
        {nullptr, 2, 32, kVerdict},
    };
    for (const auto& c : skipped) EXPECT_EQ(SetCellText(c.sheet, c.column, c.row, c.text), 0);
    EXPECT_TRUE(world.calls().empty());

    EXPECT_EQ(SetCellText(sheet, 8, 2, kVerdict), 0);
    EXPECT_EQ(world.Lines(),
              (Lines{"Sheet get Cells(int:2, int:8)", "Cells(int:2,int:8) put Value(\"Годен\")"}));
    EXPECT_EQ(world.alive(), 1);  // the cell was given back
    EXPECT_TRUE(debug.lines.empty());
}

TEST_F(ExcelOps, CellTextFailuresAreTheValuePutsAndGiveTheCellBack) {
    VARIANT* emptySheet = Empty();
    EXPECT_EQ(SetCellText(emptySheet, 1, 1, kVerdict), -1);
    EXPECT_EQ(debug.lines, (Lines{"AutoWrap(): IDispatch== 0", "AutoWrap(): IDispatch== 0"}));

    VARIANT* sheet = Object("Sheet");
    world.Fail("Value", DISP_E_TYPEMISMATCH);
    EXPECT_EQ(SetCellText(sheet, 1, 1, kVerdict), -1);
    EXPECT_EQ(world.alive(), 1);  // the refused cell was given back too
}

TEST_F(ExcelOps, ClearingCopyModeSelectsA1WhateverFails) {
    VARIANT* application = Object("Excel");
    VARIANT* sheet = Object("Sheet");
    EXPECT_EQ(ClearCopyMode(application, sheet), 0);
    const Lines expected{"Excel put CutCopyMode(bool:0)", "Sheet get Cells(int:1, int:1)",
                         "Cells(int:1,int:1) method Select()"};
    EXPECT_EQ(world.Lines(), expected);
    world.Fail("CutCopyMode", DISP_E_EXCEPTION);
    world.Fail("Cells", DISP_E_EXCEPTION);
    EXPECT_EQ(ClearCopyMode(application, sheet), 0);
    EXPECT_EQ(ClearCopyMode(nullptr, nullptr), 0);
    EXPECT_EQ(world.alive(), 2);
}

TEST_F(ExcelOps, RowsAreGotByTheirRangeTextAndDeleted) {
    VARIANT* sheet = Object("Sheet");
    VARIANT* rows = Empty();
    EXPECT_EQ(GetRows(rows, sheet, 5, 7), 0);
    EXPECT_EQ(world.Lines(), Lines{"Sheet get Rows(\"5:7\")"});
    EXPECT_EQ(DeleteRow(sheet, 6), 0);
    EXPECT_EQ(world.Lines(),
              (Lines{"Sheet get Rows(\"5:7\")", "Sheet get Rows(\"6:6\")", "Rows(\"6:6\") method Delete()"}));
    EXPECT_EQ(world.alive(), 2);  // the sheet and the rows the test asked for

    world.Fail("Delete", DISP_E_EXCEPTION);
    EXPECT_EQ(DeleteRow(sheet, 6), -1);
    world.Fail("Rows", DISP_E_EXCEPTION);
    VARIANT* other = Empty();
    EXPECT_EQ(GetRows(other, sheet, 6, 6), -1);
    EXPECT_EQ(DeleteRow(sheet, 6), -1);
    EXPECT_EQ(world.calls().back().member, "Rows");  // no Delete on rows that are not there
    EXPECT_EQ(world.alive(), 2);
}

Lines DuplicateCalls(int copies) {
    Lines lines{"Sheet get Rows(\"32:32\")", "Rows(\"32:32\") method Select()", "Excel get Selection()"};
    for (int i = 0; i < copies; ++i) {
        lines.push_back("Selection method Copy()");
        lines.push_back("Selection method Insert()");
    }
    lines.insert(lines.end(), {"Excel put CutCopyMode(bool:0)", "Sheet get Cells(int:1, int:1)",
                               "Cells(int:1,int:1) method Select()"});
    return lines;
}

TEST_F(ExcelOps, DuplicatingARowCopiesAndInsertsItNTimes) {
    VARIANT* application = Object("Excel");
    VARIANT* sheet = Object("Sheet");
    for (int n : {0, 1, 3}) {
        const std::size_t before = world.calls().size();
        EXPECT_EQ(DuplicateRow(application, sheet, 32, n), 0);
        const Lines all = world.Lines();
        EXPECT_EQ(Lines(all.begin() + static_cast<long>(before), all.end()), DuplicateCalls(n)) << n;
    }
    EXPECT_EQ(DuplicateRow(application, sheet, 32, -2), 0);  // a negative count copies nothing
    EXPECT_EQ(world.calls().size(), 3 * 6 + 2 * 4 + 6u);
    EXPECT_TRUE(debug.lines.empty());
    EXPECT_EQ(world.alive(), 2);
}

TEST_F(ExcelOps, AFailingInsertIsReportedAfterEveryPass) {
    VARIANT* application = Object("Excel");
    VARIANT* sheet = Object("Sheet");
    world.Fail("Insert", DISP_E_EXCEPTION);
    EXPECT_EQ(DuplicateRow(application, sheet, 32, 3), -5);
    EXPECT_EQ(world.Lines(), DuplicateCalls(3));
    EXPECT_EQ(debug.lines.size(), 3u);
    EXPECT_EQ(world.alive(), 2);
}

// Copy and Insert act on whatever is selected: unless the row itself was selected, they would
// copy and insert something else, so the duplication stops there.
TEST_F(ExcelOps, DuplicationStopsWhenTheRowCannotBeSelected) {
    VARIANT* application = Object("Excel");
    VARIANT* sheet = Object("Sheet");
    world.Fail("Select", DISP_E_EXCEPTION, "Rows");
    EXPECT_EQ(DuplicateRow(application, sheet, 32, 3), -2);
    EXPECT_EQ(world.Lines(), (Lines{"Sheet get Rows(\"32:32\")", "Rows(\"32:32\") method Select()"}));

    world.Fail("Rows", DISP_E_EXCEPTION);
    EXPECT_EQ(DuplicateRow(application, sheet, 32, 3), -1);
    EXPECT_EQ(world.calls().back().Line(), "Sheet get Rows(\"32:32\")");
    EXPECT_EQ(world.alive(), 2);
}

}  // namespace
