#include "platform/spreadsheet/xlsx_workbook.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/platform/spreadsheet/workbook_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/workbook_reader.h"

namespace {

using platform::xlsx::Workbook;
using testing_support::OpenpyxlView;
using testing_support::ReadWithOpenpyxl;
using testing_support::RepairProblems;

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class WorkbookFile : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::WriteProtocolTemplate(protocol);
        testing_support::WriteSpreadsheetStyleWorkbook(styled);
    }
    std::unique_ptr<Workbook> Open(const std::string& path) {
        std::unique_ptr<Workbook> workbook;
        const platform::xlsx::Status opened = Workbook::Open(path, workbook);
        EXPECT_TRUE(opened.ok()) << opened.why();
        return workbook;
    }
    // Saves, checks the file is one a spreadsheet opens without repairs, and reads it back.
    OpenpyxlView SaveAndRead(Workbook& workbook) {
        const platform::xlsx::Status saved = workbook.Save();
        EXPECT_TRUE(saved.ok()) << saved.why();
        EXPECT_EQ(RepairProblems(workbook.Path()), std::vector<std::string>{});
        OpenpyxlView view = ReadWithOpenpyxl(workbook.Path());
        EXPECT_EQ(view.error, "");
        return view;
    }

    testing_support::TempFolder folder;
    std::string protocol = folder.file("Протокол поверки ДД.xlsx");
    std::string styled = folder.file("styled.xlsx");
};

void ExpectSameWorkbook(const OpenpyxlView& a, const OpenpyxlView& b) {
    EXPECT_EQ(a.sheets, b.sheets);
    EXPECT_EQ(a.states, b.states);
    EXPECT_EQ(a.active, b.active);
    EXPECT_EQ(a.values, b.values);
    EXPECT_EQ(a.styles, b.styles);
    EXPECT_EQ(a.rows, b.rows);
    EXPECT_EQ(a.merges, b.merges);
    EXPECT_EQ(a.printAreas, b.printAreas);
    EXPECT_EQ(a.printTitles, b.printTitles);
    EXPECT_EQ(a.pageSetups, b.pageSetups);
    EXPECT_EQ(a.pageBreaks, b.pageBreaks);
    EXPECT_EQ(a.formats, b.formats);
    EXPECT_EQ(a.validations, b.validations);
    EXPECT_EQ(a.links, b.links);
}

TEST_F(WorkbookFile, SavedUnchangedReadsBackAsTheTemplate) {
    for (const std::string& path : {protocol, styled}) {
        const OpenpyxlView before = ReadWithOpenpyxl(path);
        ASSERT_EQ(before.error, "");
        auto workbook = Open(path);
        ASSERT_TRUE(workbook);
        ExpectSameWorkbook(SaveAndRead(*workbook), before);
    }
    EXPECT_EQ(ReadWithOpenpyxl(protocol).pageSetups.at("Канал 1"),
              "landscape paper=9 fitW=1 footer=Страница &P");
    const OpenpyxlView view = ReadWithOpenpyxl(styled);
    EXPECT_EQ(view.values.at("Данные!C3"), "жирный текст");
    EXPECT_EQ(view.values.at("Данные!A4"), "x");
    EXPECT_EQ(view.values.at("Данные!B4"), "3");
    EXPECT_EQ(view.states.at("Скрытый"), "veryHidden");
    EXPECT_EQ(view.states.at("Данные"), "visible");
    // Parts nobody here reads travel byte for byte.
    EXPECT_EQ(testing_support::PartOf(styled, "xl/printerSettings/printerSettings1.bin"),
              testing_support::PrinterSettingsBytes());
    EXPECT_EQ(testing_support::PartOf(styled, "customXml/item1.xml"), testing_support::CustomXmlBytes());
}

TEST_F(WorkbookFile, TextsGoInAsSharedStringsAndCellsKeepTheirStyle) {
    auto workbook = Open(protocol);
    ASSERT_TRUE(workbook);
    const OpenpyxlView before = ReadWithOpenpyxl(protocol);
    const struct {
        int row;
        int column;
        std::string text;
    } writes[] = {
        {32, 4, "0,125"},  // a filled, bordered cell
        {32, 8, "±0,5"},
        {32, 2, "Датчик 1"},  // the first cell of a merge
        {5, 8, "H5"},         // cells of a new row, written right to left
        {5, 2, "B5"},
        {5, 1, "A5"},
        {1, 1, "Протокол поверки ДД"},
        {33, 4, "0,125"},  // a text already in the table is used again
        {2, 1, "  с пробелами  "},
    };
    for (const auto& w : writes)
        ASSERT_TRUE(workbook->SetCellText(0, w.row, w.column, w.text).ok()) << w.text;
    const OpenpyxlView view = SaveAndRead(*workbook);
    for (const auto& w : writes) {
        const std::string cell = "Канал 1!" + platform::xlsx::CellName(w.row, w.column);
        EXPECT_EQ(view.values.at(cell), w.text) << cell;
        if (before.styles.count(cell)) {
            EXPECT_EQ(view.styles.at(cell), before.styles.at(cell)) << cell;
        }
    }
    EXPECT_EQ(view.styles.at("Канал 1!D32"), "fill=FFFFFF00 border=thin fmt=General");
    EXPECT_EQ(view.styles.at("Канал 1!A1"), "bold fmt=General");

    // Eight different texts, nine cells: the table the writer made holds each text once.
    const std::string strings = testing_support::PartOf(protocol, "xl/sharedStrings.xml");
    EXPECT_NE(strings.find("count=\"9\""), std::string::npos) << strings;
    EXPECT_NE(strings.find("uniqueCount=\"8\""), std::string::npos) << strings;
}

TEST_F(WorkbookFile, NewCellsTakeTheirRowsOrColumnsStyleAndEmptyTextsClear) {
    auto workbook = Open(styled);
    ASSERT_TRUE(workbook);
    ASSERT_TRUE(workbook->SetCellText(0, 3, 4, "в столбце D").ok());  // column D is styled
    ASSERT_TRUE(workbook->SetCellText(0, 5, 3, "в строке 5").ok());   // row 5 is formatted as a whole
    ASSERT_TRUE(workbook->SetCellText(0, 2, 1, "без стиля").ok());
    ASSERT_TRUE(workbook->SetCellText(0, 1, 1, "").ok());        // the title goes, its bold stays
    ASSERT_TRUE(workbook->SetCellText(1, 4, 1, "Строка").ok());  // counted in the existing table
    const OpenpyxlView view = SaveAndRead(*workbook);
    EXPECT_EQ(view.styles.at("Данные!D3"), "fill=FF00B050 fmt=General");
    EXPECT_EQ(view.styles.at("Данные!C5"), "fill=FF00B050 fmt=General");
    EXPECT_EQ(view.styles.at("Данные!A2"), "fmt=General");
    EXPECT_EQ(view.values.count("Данные!A1"), 0u);
    EXPECT_EQ(view.styles.at("Данные!A1"), "bold fmt=General");
    EXPECT_EQ(view.values.at("Итоги!A4"), "Строка");
    EXPECT_EQ(view.values.at("Данные!C3"), "жирный текст");
}

TEST_F(WorkbookFile, CellWritesOutsideTheSheetOrTooLongAreRefused) {
    auto workbook = Open(protocol);
    ASSERT_TRUE(workbook);
    const struct {
        int sheet, row, column;
        std::string text;
    } refused[] = {
        {0, 0, 1, "row 0"},
        {0, 1, 0, "column 0"},
        {0, 1048577, 1, "below the last row"},
        {0, 1, 16385, "right of the last column"},
        {4, 1, 1, "no such sheet"},
        {-1, 1, 1, "no such sheet"},
        {0, 1, 1, std::string(32768, 'x')},
        {0, 1, 1, "\xC3\x28 not UTF-8"},
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(workbook->SetCellText(r.sheet, r.row, r.column, r.text).ok()) << r.text.substr(0, 30);
    }
    EXPECT_TRUE(workbook->SetCellText(0, 1048576, 16384, std::string(32767, 'x')).ok());
    const OpenpyxlView view = SaveAndRead(*workbook);
    EXPECT_EQ(view.values.at("Канал 1!XFD1048576").size(), 32767u);
    EXPECT_EQ(view.values.at("Канал 1!A1"), "Протокол");
}

TEST_F(WorkbookFile, SheetNamesASpreadsheetRefusesLeaveTheOldName) {
    auto workbook = Open(protocol);
    ASSERT_TRUE(workbook);
    for (const std::string& name :
         std::vector<std::string>{"", "Канал:1", "a\\b", "a/b", "a?b", "a*b", "a[b]", "'Канал", "Канал'",
                                  "History", "КАНАЛ 2", std::string(32, 'x')}) {
        EXPECT_FALSE(workbook->RenameSheet(0, name).ok()) << name;
        EXPECT_EQ(workbook->SheetName(0), "Канал 1");
    }
    ASSERT_TRUE(workbook->RenameSheet(0, "канал 1").ok());  // its own name in other letters is no clash
    ASSERT_TRUE(workbook->RenameSheet(1, "Датчик 4711").ok());
    ASSERT_TRUE(workbook->RenameSheet(2, std::string(31, 'x')).ok());
    const OpenpyxlView view = SaveAndRead(*workbook);
    EXPECT_EQ(view.sheets,
              (std::vector<std::string>{"канал 1", "Датчик 4711", std::string(31, 'x'), "Канал 4"}));
    // The print set-up follows the sheet to its new name.
    EXPECT_EQ(view.printAreas.at("Датчик 4711"), "$A$1:$H$50");
    EXPECT_EQ(view.printTitles.at("Датчик 4711"), "1:2");
    EXPECT_NE(testing_support::PartOf(protocol, "xl/workbook.xml").find("'Датчик 4711'!$A$1:$H$50"),
              std::string::npos);
}

TEST_F(WorkbookFile, RenamingRewritesFormulasAndNamesThatReferToTheSheet) {
    auto workbook = Open(styled);
    ASSERT_TRUE(workbook);
    ASSERT_TRUE(workbook->RenameSheet(0, "Data").ok());
    const OpenpyxlView view = SaveAndRead(*workbook);
    EXPECT_EQ(view.values.at("Итоги!A1"), "=SUM(Data!B2:B6)");
    EXPECT_EQ(view.values.at("Итоги!A2"), "=Data!B6*2");
    const std::string book = testing_support::PartOf(styled, "xl/workbook.xml");
    EXPECT_NE(book.find(">Data!$A$1:$D$10<"), std::string::npos) << book;
    EXPECT_NE(book.find(">Data!$B$2:$B$6<"), std::string::npos) << book;
}

TEST_F(WorkbookFile, HiddenSheetsCannotBeShownAndOneSheetStaysVisible) {
    auto workbook = Open(protocol);
    ASSERT_TRUE(workbook);
    EXPECT_EQ(workbook->WorksheetIndex(4), 3);  // hidden sheets are counted
    EXPECT_EQ(workbook->WorksheetIndex(5), std::nullopt);
    EXPECT_EQ(workbook->WorksheetIndex(0), std::nullopt);
    EXPECT_FALSE(workbook->ActivateSheet(3).ok());
    ASSERT_TRUE(workbook->ActivateSheet(0).ok());

    ASSERT_TRUE(workbook->SetSheetVisible(0, false).ok());
    EXPECT_EQ(workbook->ActiveSheet(), 1);  // the next visible sheet is shown instead
    ASSERT_TRUE(workbook->SetSheetVisible(1, false).ok());
    EXPECT_EQ(workbook->ActiveSheet(), 2);
    EXPECT_FALSE(workbook->SetSheetVisible(2, false).ok());  // the last one visible
    EXPECT_FALSE(workbook->SheetHidden(2));
    EXPECT_TRUE(workbook->SetSheetVisible(3, false).ok());  // already hidden: nothing to do
    ASSERT_TRUE(workbook->SetSheetVisible(3, true).ok());
    ASSERT_TRUE(workbook->SetSheetVisible(2, false).ok());
    EXPECT_EQ(workbook->ActiveSheet(), 3);  // no visible sheet after it: the one before

    const OpenpyxlView view = SaveAndRead(*workbook);
    EXPECT_EQ(
        view.states,
        (std::map<std::string, std::string>{
            {"Канал 1", "hidden"}, {"Канал 2", "hidden"}, {"Канал 3", "hidden"}, {"Канал 4", "visible"}}));
    EXPECT_EQ(view.active, "Канал 4");
}

TEST_F(WorkbookFile, SheetsHiddenHerePrintNothingUntilShownAgain) {
    auto workbook = Open(protocol);
    ASSERT_TRUE(workbook);
    ASSERT_TRUE(workbook->SetSheetVisible(0, false).ok());
    ASSERT_TRUE(workbook->SetSheetVisible(1, false).ok());
    OpenpyxlView view = SaveAndRead(*workbook);
    // The template's own hidden sheet keeps its print area; the sheets hidden here have none.
    EXPECT_EQ(view.printAreas,
              (std::map<std::string, std::string>{{"Канал 3", "$A$1:$H$50"}, {"Канал 4", "$A$1:$H$50"}}));
    EXPECT_EQ(view.printTitles.at("Канал 1"), "1:2");
    const std::string book = testing_support::PartOf(protocol, "xl/workbook.xml");
    EXPECT_EQ(book.find("localSheetId=\"0\">'Канал 1'!$A$1"), std::string::npos) << book;

    // Put aside, the print area still follows the rows and the name of its sheet.
    ASSERT_TRUE(workbook->InsertCopiedRows(0, 32, 0, 32, 32).ok());
    ASSERT_TRUE(workbook->RenameSheet(0, "Датчик").ok());
    ASSERT_TRUE(workbook->SetSheetVisible(0, true).ok());
    view = SaveAndRead(*workbook);
    EXPECT_EQ(view.printAreas.at("Датчик"), "$A$1:$H$51");
    EXPECT_EQ(view.printAreas.count("Канал 2"), 0u);

    // The template's hidden sheet, shown, has its print area as before.
    ASSERT_TRUE(workbook->SetSheetVisible(0, false).ok());
    ASSERT_TRUE(workbook->SetSheetVisible(3, true).ok());
    ASSERT_TRUE(workbook->SetSheetVisible(2, false).ok());
    view = SaveAndRead(*workbook);
    EXPECT_EQ(view.printAreas, (std::map<std::string, std::string>{{"Канал 4", "$A$1:$H$50"}}));
}

TEST_F(WorkbookFile, FilesThatAreNoWorkbookAreRefused) {
    const std::string text = folder.file("text.xlsx");
    std::ofstream(text) << "not a zip";
    const std::string empty = folder.file("empty.xlsx");
    platform::xlsx::Package nothing;
    nothing.Put("readme.txt", "no workbook here");
    ASSERT_TRUE(nothing.Save(empty).ok());
    const std::string broken = folder.file("broken.xlsx");
    {
        platform::xlsx::Package package;
        ASSERT_TRUE(platform::xlsx::Package::Load(styled, package).ok());
        package.Put("xl/worksheets/sheet2.xml", "<worksheet><sheetData>");
        ASSERT_TRUE(package.Save(broken).ok());
    }
    for (const std::string& path : {folder.file("missing.xlsx"), text, empty, broken, folder.path()}) {
        std::unique_ptr<Workbook> workbook;
        const platform::xlsx::Status opened = Workbook::Open(path, workbook);
        EXPECT_FALSE(opened.ok()) << path;
        EXPECT_FALSE(workbook) << path;
    }
}

TEST_F(WorkbookFile, SavingReplacesTheFileWholeOrNotAtAll) {
    auto workbook = Open(protocol);
    ASSERT_TRUE(workbook);
    ASSERT_TRUE(workbook->SetCellText(0, 3, 1, "новое").ok());
    ASSERT_TRUE(workbook->Save().ok());
    const std::vector<std::string> alone = {"styled.xlsx", "Протокол поверки ДД.xlsx"};
    EXPECT_EQ(Entries(folder.path()), alone);  // nothing left beside it

    // A path that cannot be replaced: the save is refused and nothing is left behind.
    std::filesystem::remove(protocol);
    std::filesystem::create_directory(protocol);
    std::ofstream(protocol + "/occupied") << "x";
    EXPECT_FALSE(workbook->Save().ok());
    EXPECT_EQ(Entries(folder.path()), alone);
    EXPECT_TRUE(std::filesystem::is_directory(protocol));
}

}  // namespace

namespace {

// The check every written workbook passes has to see the faults it looks for.
TEST(RepairCheck, FindsWhatASpreadsheetWouldRepair) {
    testing_support::TempFolder folder;
    const std::string good = folder.file("good.xlsx");
    testing_support::WriteSpreadsheetStyleWorkbook(good);
    ASSERT_EQ(RepairProblems(good), std::vector<std::string>{});
    platform::xlsx::Package package;
    ASSERT_TRUE(platform::xlsx::Package::Load(good, package).ok());
    const std::string sheet = *package.Find("xl/worksheets/sheet2.xml");
    const struct {
        std::string part, from, to, problem;
    } faults[] = {
        {"xl/worksheets/sheet2.xml", "<row r=\"2\">", "<row r=\"1\">", "Итоги: row 1 out of order or twice"},
        {"xl/worksheets/sheet2.xml", "r=\"A2\"", "r=\"A1\"", "Итоги: cell A1 is not in row 2"},
        {"xl/worksheets/sheet2.xml", "</sheetData>",
         "</sheetData><mergeCells count=\"2\"><mergeCell ref=\"A1:B2\"/>"
         "<mergeCell ref=\"B2:C3\"/></mergeCells>",
         "Итоги: merges overlap at B2:C3"},
        {"xl/sharedStrings.xml", "count=\"4\"", "count=\"5\"", "count 5 for 4 cells"},
        {"xl/workbook.xml", "activeTab=\"0\"", "activeTab=\"2\"", "the sheet on show is hidden or missing"},
        {"xl/workbook.xml", "name=\"Итоги\"", "name=\"ДАННЫЕ\"", "two sheets are named ДАННЫЕ"},
        {"xl/worksheets/sheet2.xml", "<c r=\"A3\" t=\"s\"><v>1<", "<c r=\"A3\" t=\"s\"><v>3<",
         "Итоги: cell A3 names no shared string"},
    };
    for (const auto& fault : faults) {
        platform::xlsx::Package broken = package;
        std::string text = *package.Find(fault.part);
        const std::size_t at = text.find(fault.from);
        ASSERT_NE(at, std::string::npos) << fault.from;
        broken.Put(fault.part, text.replace(at, fault.from.size(), fault.to));
        const std::string path = folder.file("broken.xlsx");
        ASSERT_TRUE(broken.Save(path).ok());
        const auto problems = RepairProblems(path);
        EXPECT_NE(std::find(problems.begin(), problems.end(), fault.problem), problems.end())
            << fault.problem;
    }
}

}  // namespace
