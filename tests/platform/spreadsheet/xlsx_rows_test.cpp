#include <gtest/gtest.h>

#include <functional>

#include "platform/spreadsheet/xlsx_workbook.h"
#include "tests/platform/spreadsheet/workbook_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/workbook_reader.h"

namespace {

using platform::xlsx::Workbook;
using testing_support::OpenpyxlView;

std::string Row(int row) { return "Канал 1!" + std::to_string(row); }
std::string Cell(const std::string& column, int row) { return "Канал 1!" + column + std::to_string(row); }

// The entries of a map whose keys start with the prefix.
std::map<std::string, std::string> Only(const std::map<std::string, std::string>& all,
                                        const std::string& prefix) {
    std::map<std::string, std::string> some;
    for (const auto& [key, value] : all) {
        if (key.rfind(prefix, 0) == 0) some.emplace(key, value);
    }
    return some;
}

class RowChanges : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::WriteProtocolTemplate(protocol);
        testing_support::WriteSpreadsheetStyleWorkbook(styled);
        template_ = testing_support::ReadWithOpenpyxl(protocol);
        ASSERT_EQ(template_.error, "");
    }
    std::unique_ptr<Workbook> Open(const std::string& path) {
        std::unique_ptr<Workbook> workbook;
        EXPECT_TRUE(Workbook::Open(path, workbook).ok());
        return workbook;
    }
    OpenpyxlView SaveAndRead(Workbook& workbook) {
        const platform::xlsx::Status saved = workbook.Save();
        EXPECT_TRUE(saved.ok()) << saved.why();
        EXPECT_EQ(testing_support::RepairProblems(workbook.Path()), std::vector<std::string>{});
        OpenpyxlView view = testing_support::ReadWithOpenpyxl(workbook.Path());
        EXPECT_EQ(view.error, "");
        return view;
    }
    // The merges of the first sheet once everything from row 32 on moved by `down`, with the point rows
    // 32..41+down each merged over B:C.
    static std::string ProtocolMerges(int down) {
        std::vector<std::string> merges = {"A1:H1",
                                           "A" + std::to_string(44 + down) + ":H" + std::to_string(44 + down),
                                           "J30:J" + std::to_string(45 + down)};
        for (int row = 32; row <= 41 + down; ++row)
            merges.push_back("B" + std::to_string(row) + ":C" + std::to_string(row));
        std::sort(merges.begin(), merges.end());
        std::string text;
        for (const std::string& merge : merges) text += (text.empty() ? "" : " ") + merge;
        return text;
    }

    testing_support::TempFolder folder;
    std::string protocol = folder.file("protocol.xlsx");
    std::string styled = folder.file("styled.xlsx");
    OpenpyxlView template_;
};

TEST_F(RowChanges, CopiesOfThePointRowCarryItsFormatsAndPushEverythingDown) {
    for (int copies : {1, 3}) {
        testing_support::WriteProtocolTemplate(protocol);
        auto workbook = Open(protocol);
        ASSERT_TRUE(workbook);
        for (int i = 0; i < copies; ++i) ASSERT_TRUE(workbook->InsertCopiedRows(0, 32, 0, 32, 32).ok());
        const OpenpyxlView view = SaveAndRead(*workbook);
        SCOPED_TRACE(copies);

        for (int row = 32; row <= 32 + copies; ++row) {
            EXPECT_EQ(view.values.at(Cell("A", row)), "точка 1") << row;
            for (const char* column : {"A", "B", "C", "D", "E", "H"}) {
                EXPECT_EQ(view.styles.at(Cell(column, row)), template_.styles.at(Cell(column, 32)))
                    << column << row;
            }
        }
        EXPECT_EQ(view.values.at(Cell("A", 41 + copies)), "точка 10");
        EXPECT_EQ(view.values.at(Cell("A", 44 + copies)), "Заключение");
        EXPECT_EQ(view.values.at(Cell("A", 45 + copies)), "Подпись");
        EXPECT_EQ(view.values.at(Cell("A", 50 + copies)), "скрыто");
        EXPECT_EQ(view.values.count(Cell("A", 43 + copies)), 0u);  // the blank row above the footer

        std::map<std::string, std::string> rows;
        for (int row = 32; row <= 41 + copies; ++row) rows[Row(row)] = "ht=20";
        rows[Row(50 + copies)] = "hidden";
        EXPECT_EQ(Only(view.rows, "Канал 1!"), rows);

        EXPECT_EQ(view.merges.at("Канал 1"), ProtocolMerges(copies));
        EXPECT_EQ(view.printAreas.at("Канал 1"), "$A$1:$H$" + std::to_string(50 + copies));
        EXPECT_EQ(view.printTitles.at("Канал 1"), "1:2");
        EXPECT_EQ(view.pageBreaks.at("Канал 1"), std::to_string(41 + copies));
        EXPECT_EQ(view.pageSetups.at("Канал 1"), template_.pageSetups.at("Канал 1"));
        EXPECT_EQ(view.formats.at("Канал 1"), "D32:D" + std::to_string(41 + copies));
        EXPECT_EQ(view.validations.at("Канал 1"), "E32:E" + std::to_string(41 + copies));
        std::map<std::string, std::string> links = {{Cell("I", 44 + copies), "http://example.com/doc"}};
        for (int row = 32; row <= 32 + copies; ++row) links[Cell("I", row)] = "http://example.com/point";
        EXPECT_EQ(Only(view.links, "Канал 1!"), links);

        // The other sheets are as they were.
        for (const std::string sheet : {"Канал 2!", "Канал 4!"}) {
            EXPECT_EQ(Only(view.values, sheet), Only(template_.values, sheet));
            EXPECT_EQ(Only(view.rows, sheet), Only(template_.rows, sheet));
        }
        EXPECT_EQ(view.states, template_.states);
    }
}

TEST_F(RowChanges, RowsCopiedElsewhereOrFromAnotherSheet) {
    auto workbook = Open(protocol);
    ASSERT_TRUE(workbook);
    ASSERT_TRUE(workbook->InsertCopiedRows(0, 5, 0, 1, 1).ok());    // the title row, below the header
    ASSERT_TRUE(workbook->InsertCopiedRows(1, 3, 0, 33, 34).ok());  // the first two point rows, now 33 and 34
    const OpenpyxlView view = SaveAndRead(*workbook);

    EXPECT_EQ(view.values.at(Cell("A", 5)), "Протокол");
    EXPECT_EQ(view.styles.at(Cell("A", 5)), "bold fmt=General");
    EXPECT_EQ(view.values.at(Cell("A", 33)), "точка 1");
    EXPECT_NE(view.merges.at("Канал 1").find("A5:H5"), std::string::npos);
    EXPECT_NE(view.merges.at("Канал 1").find("J31:J46"), std::string::npos);
    EXPECT_EQ(view.printAreas.at("Канал 1"), "$A$1:$H$51");

    EXPECT_EQ(view.values.at("Канал 2!A3"), "точка 1");
    EXPECT_EQ(view.values.at("Канал 2!A4"), "точка 2");
    EXPECT_EQ(view.values.at("Канал 2!A34"), "точка 1");
    EXPECT_EQ(view.rows.at("Канал 2!3"), "ht=20");
    EXPECT_EQ(view.styles.at("Канал 2!E4"), template_.styles.at(Cell("E", 34)));
    const std::string merges = view.merges.at("Канал 2");
    EXPECT_NE(merges.find("B3:C3"), std::string::npos);
    EXPECT_NE(merges.find("B4:C4"), std::string::npos);
    EXPECT_NE(merges.find("J32:J47"), std::string::npos);
    // Formats of another sheet stay there; the target's own move down.
    EXPECT_EQ(view.formats.at("Канал 2"), "D34:D43");
}

TEST_F(RowChanges, EmptyRowsInsertedMoveTheFooter) {
    auto workbook = Open(protocol);
    ASSERT_TRUE(workbook);
    ASSERT_TRUE(workbook->InsertRows(0, 44, 2).ok());
    const OpenpyxlView view = SaveAndRead(*workbook);
    EXPECT_EQ(view.values.at(Cell("A", 46)), "Заключение");
    EXPECT_EQ(view.values.count(Cell("A", 44)), 0u);
    EXPECT_NE(view.merges.at("Канал 1").find("A46:H46"), std::string::npos);
    EXPECT_NE(view.merges.at("Канал 1").find("J30:J47"), std::string::npos);
    EXPECT_EQ(view.printAreas.at("Канал 1"), "$A$1:$H$52");
    EXPECT_EQ(view.links.at(Cell("I", 46)), "http://example.com/doc");
    EXPECT_EQ(view.rows.at(Row(52)), "hidden");
}

TEST_F(RowChanges, DeletedRowsTakeWhatLiesWhollyInsideThemAndShrinkTheRest) {
    const struct {
        int first, last;
        std::map<std::string, std::string> values;  // cells that must hold these afterwards
        std::string merges, printArea, formats, validations;
        std::map<std::string, std::string> links;
        std::string hiddenRow;
        std::string breaks;
    } cases[] = {
        {33,
         33,
         {{Cell("A", 33), "точка 3"}, {Cell("A", 40), "точка 10"}, {Cell("A", 43), "Заключение"}},
         "A1:H1 A43:H43 B32:C32 B33:C33 B34:C34 B35:C35 B36:C36 B37:C37 B38:C38 B39:C39 B40:C40 J30:J44",
         "$A$1:$H$49",
         "D32:D40",
         "E32:E40",
         {{Cell("I", 32), "http://example.com/point"}, {Cell("I", 43), "http://example.com/doc"}},
         Row(49),
         "40"},
        {44,
         44,
         {{Cell("A", 44), "Подпись"}, {Cell("A", 41), "точка 10"}},
         "A1:H1 B32:C32 B33:C33 B34:C34 B35:C35 B36:C36 B37:C37 B38:C38 B39:C39 B40:C40 B41:C41 J30:J44",
         "$A$1:$H$49",
         "D32:D41",
         "E32:E41",
         {{Cell("I", 32), "http://example.com/point"}},
         Row(49),
         "41"},
        {30,
         45,
         {{Cell("A", 34), "скрыто"}, {Cell("A", 2), "Шапка"}},
         "A1:H1",
         "$A$1:$H$34",
         "",
         "",
         {},
         Row(34),
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + ":" + std::to_string(c.last));
        testing_support::WriteProtocolTemplate(protocol);
        auto workbook = Open(protocol);
        ASSERT_TRUE(workbook);
        ASSERT_TRUE(workbook->DeleteRows(0, c.first, c.last).ok());
        const OpenpyxlView view = SaveAndRead(*workbook);
        for (const auto& [cell, value] : c.values) EXPECT_EQ(view.values.at(cell), value) << cell;
        EXPECT_EQ(view.merges.at("Канал 1"), c.merges);
        EXPECT_EQ(view.printAreas.at("Канал 1"), c.printArea);
        EXPECT_EQ(view.formats.at("Канал 1"), c.formats);
        EXPECT_EQ(view.validations.at("Канал 1"), c.validations);
        EXPECT_EQ(Only(view.links, "Канал 1!"), c.links);
        EXPECT_EQ(view.rows.at(c.hiddenRow), "hidden");
        EXPECT_EQ(view.pageBreaks.at("Канал 1"), c.breaks);
    }
}

TEST_F(RowChanges, FormulasAndNamesFollowTheRowsTheyPointAt) {
    auto workbook = Open(styled);
    ASSERT_TRUE(workbook);
    ASSERT_TRUE(workbook->InsertRows(0, 3, 2).ok());
    OpenpyxlView view = SaveAndRead(*workbook);
    EXPECT_EQ(view.values.at("Итоги!A1"), "=SUM('Данные'!B2:B8)");
    EXPECT_EQ(view.values.at("Итоги!A2"), "=Данные!B8*2");
    EXPECT_EQ(view.values.at("Данные!B8"), "5");
    EXPECT_EQ(view.values.at("Данные!A6"), "x");
    std::string book = testing_support::PartOf(styled, "xl/workbook.xml");
    EXPECT_NE(book.find(">'Данные'!$B$2:$B$8<"), std::string::npos) << book;
    EXPECT_NE(book.find(">'Данные'!$A$1:$D$12<"), std::string::npos) << book;
    EXPECT_NE(book.find("fullCalcOnLoad=\"1\""), std::string::npos) << book;  // cached results are stale now
    EXPECT_NE(testing_support::PartOf(styled, "xl/worksheets/sheet1.xml").find("<xm:sqref>B2:B8</xm:sqref>"),
              std::string::npos);

    ASSERT_TRUE(workbook->DeleteRows(0, 3, 4).ok());
    ASSERT_TRUE(workbook->DeleteRows(0, 4, 4).ok());  // the "x" row
    view = SaveAndRead(*workbook);
    EXPECT_EQ(view.values.at("Итоги!A1"), "=SUM('Данные'!B2:B5)");
    EXPECT_EQ(view.values.at("Итоги!A2"), "=Данные!B5*2");
    book = testing_support::PartOf(styled, "xl/workbook.xml");
    EXPECT_NE(book.find(">'Данные'!$B$2:$B$5<"), std::string::npos) << book;
}

// Many row changes and cell writes in one session end as the same changes made one at a time, each on
// the workbook as read back from its file; the texts of column A stand where the rows went.
TEST_F(RowChanges, ManyChangesInOneSessionEndAsWhenEachIsMadeOnTheSavedFile) {
    using Step = std::function<platform::xlsx::Status(Workbook&)>;
    std::vector<Step> steps;
    std::vector<std::string> columnA(60);  // what column A of the first sheet holds, row n at n - 1
    columnA[0] = "Протокол", columnA[1] = "Шапка", columnA[43] = "Заключение", columnA[44] = "Подпись";
    columnA[49] = "скрыто";
    for (int row = 32; row <= 41; ++row) columnA[row - 1] = "точка " + std::to_string(row - 31);
    const auto copyRows = [&](int at, int first, int last) {
        steps.push_back([=](Workbook& w) { return w.InsertCopiedRows(0, at, 0, first, last); });
        const std::vector<std::string> copied(columnA.begin() + first - 1, columnA.begin() + last);
        columnA.insert(columnA.begin() + at - 1, copied.begin(), copied.end());
    };
    const auto insertRows = [&](int at, int count) {
        steps.push_back([=](Workbook& w) { return w.InsertRows(0, at, count); });
        columnA.insert(columnA.begin() + at - 1, static_cast<std::size_t>(count), "");
    };
    const auto deleteRows = [&](int first, int last) {
        steps.push_back([=](Workbook& w) { return w.DeleteRows(0, first, last); });
        columnA.erase(columnA.begin() + first - 1, columnA.begin() + last);
    };
    const auto write = [&](int row, int column, const std::string& text) {
        steps.push_back([=](Workbook& w) { return w.SetCellText(0, row, column, text); });
        if (column == 1) columnA[row - 1] = text;
    };
    for (int i = 0; i < 20; ++i) copyRows(32, 32, 32);
    write(40, 4, "D после вставок");
    write(60, 11, "K в сдвинутой строке");
    write(64, 1, "подвал");
    deleteRows(35, 37);
    insertRows(3, 2);
    copyRows(10, 40, 41);
    write(11, 1, "копия");
    deleteRows(60, 62);
    for (int i = 0; i < 5; ++i) copyRows(36, 36, 36);
    write(80, 1, "внизу");
    deleteRows(33, 33);

    auto session = Open(protocol);
    ASSERT_TRUE(session);
    const std::string stepwise = folder.file("stepwise.xlsx");
    testing_support::WriteProtocolTemplate(stepwise);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        ASSERT_TRUE(steps[i](*session).ok());
        auto fresh = Open(stepwise);
        ASSERT_TRUE(fresh);
        ASSERT_TRUE(steps[i](*fresh).ok());
        ASSERT_TRUE(fresh->Save().ok());
    }
    const OpenpyxlView view = SaveAndRead(*session);
    const OpenpyxlView expected = testing_support::ReadWithOpenpyxl(stepwise);
    EXPECT_EQ(view.values, expected.values);
    EXPECT_EQ(view.styles, expected.styles);
    EXPECT_EQ(view.rows, expected.rows);
    EXPECT_EQ(view.merges, expected.merges);
    EXPECT_EQ(view.printAreas, expected.printAreas);
    EXPECT_EQ(view.printTitles, expected.printTitles);
    EXPECT_EQ(view.pageBreaks, expected.pageBreaks);
    EXPECT_EQ(view.formats, expected.formats);
    EXPECT_EQ(view.validations, expected.validations);
    EXPECT_EQ(view.links, expected.links);

    std::map<std::string, std::string> texts;
    for (std::size_t row = 0; row < columnA.size(); ++row) {
        if (!columnA[row].empty()) texts[Cell("A", static_cast<int>(row) + 1)] = columnA[row];
    }
    std::map<std::string, std::string> written;
    for (const auto& [cell, value] : Only(view.values, "Канал 1!A")) written[cell] = value;
    EXPECT_EQ(written, texts);
    // Every point row, copied or moved, still has its height and its merge over B:C.
    for (std::size_t row = 0; row < columnA.size(); ++row) {
        if (columnA[row].rfind("точка", 0) != 0) continue;
        const std::string number = std::to_string(row + 1);
        EXPECT_EQ(view.rows.count(Row(static_cast<int>(row) + 1))
                      ? view.rows.at(Row(static_cast<int>(row) + 1))
                      : "",
                  "ht=20")
            << number;
        EXPECT_NE((" " + view.merges.at("Канал 1") + " ").find(" B" + number + ":C" + number + " "),
                  std::string::npos)
            << number;
    }
}

TEST_F(RowChanges, ChangesThatWouldLoseSomethingAreRefusedAndChangeNothing) {
    // A shared formula on the summary sheet, which this application does not rewrite.
    const std::string shared = folder.file("shared.xlsx");
    {
        platform::xlsx::Package package;
        ASSERT_TRUE(platform::xlsx::Package::Load(styled, package).ok());
        std::string sheet = *package.Find("xl/worksheets/sheet2.xml");
        sheet.replace(sheet.find("<f>Данные!B6*2"), 3, "<f t=\"shared\" ref=\"A2\" si=\"0\">");
        package.Put("xl/worksheets/sheet2.xml", sheet);
        ASSERT_TRUE(package.Save(shared).ok());
    }
    using Change = std::function<platform::xlsx::Status(Workbook&)>;
    const struct {
        const char* what;
        std::string path;
        Change prepare;  // done and saved before the refused change
        Change change;
    } cases[] = {
        {"a cell a formula names alone is deleted",
         styled,
         {},
         [](Workbook& w) { return w.DeleteRows(0, 6, 6); }},
        {"a row holding formulas is copied",
         styled,
         {},
         [](Workbook& w) { return w.InsertCopiedRows(1, 5, 1, 1, 1); }},
        {"the print titles are deleted whole",
         protocol,
         {},
         [](Workbook& w) { return w.DeleteRows(0, 1, 2); }},
        {"a copied merge would overlap a grown one",
         protocol,
         {},
         [](Workbook& w) { return w.InsertCopiedRows(0, 40, 0, 30, 45); }},
        {"a cell is pushed off the sheet", protocol,
         [](Workbook& w) { return w.SetCellText(0, 1048576, 1, "край"); },
         [](Workbook& w) { return w.InsertRows(0, 10, 1); }},
        {"a shared formula refers to moved rows",
         shared,
         {},
         [](Workbook& w) { return w.InsertRows(0, 3, 1); }},
        {"a shared formula stands on the sheet",
         shared,
         {},
         [](Workbook& w) { return w.InsertRows(1, 10, 1); }},
        {"rows before the first", protocol, {}, [](Workbook& w) { return w.DeleteRows(0, 0, 1); }},
        {"rows the wrong way round", protocol, {}, [](Workbook& w) { return w.DeleteRows(0, 5, 4); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto workbook = Open(c.path);
        ASSERT_TRUE(workbook);
        if (c.prepare) {
            ASSERT_TRUE(c.prepare(*workbook).ok());
        }
        const OpenpyxlView before = SaveAndRead(*workbook);
        EXPECT_FALSE(c.change(*workbook).ok());
        const OpenpyxlView after = SaveAndRead(*workbook);
        EXPECT_EQ(after.values, before.values);
        EXPECT_EQ(after.merges, before.merges);
        EXPECT_EQ(after.rows, before.rows);
        EXPECT_EQ(after.printAreas, before.printAreas);
        EXPECT_EQ(after.printTitles, before.printTitles);
        EXPECT_EQ(after.formats, before.formats);
    }
}

}  // namespace
