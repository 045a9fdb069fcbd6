// The archive workbook against the recording application and a list-view handle over a table:
// result codes of every step, the rows prepared for the table, every cell text at its cell, the
// name and title of the day in UTC, and the workbook handed over unsaved.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/automation/list_view_handle.h"
#include "sheet/archive_report.h"
#include "sheet/zkvsheet.h"
#include "tests/sheet/report_fixture.h"

namespace {

using namespace platform;
using namespace sheet;
using testing_support::CountLines;
using testing_support::CountMember;
using testing_support::ReportTest;
using testing_support::ShownBox;
using testing_support::UtcAt;
using testing_support::WrittenCell;
using testing_support::WrittenCells;

const char* const kCaption = "Ошибка формирования протокола";

// The archive table: items of 17 columns, "r<i>c<j>" unless set otherwise.
class Table : public ListViewSource {
  public:
    explicit Table(int items, int columns = 17) : columns_(columns) {
        for (int i = 0; i < items; ++i) {
            cells_.emplace_back();
            for (int j = 0; j < std::min(columns, 17); ++j)
                cells_.back().push_back("r" + std::to_string(i) + "c" + std::to_string(j));
        }
    }
    void Set(int item, int column, std::string text) { cells_[item][column] = std::move(text); }
    int ItemCount() const override { return static_cast<int>(cells_.size()); }
    int ColumnCount() const override { return columns_; }
    std::string CellText(int item, int column) const override {
        ++reads_;
        return column < static_cast<int>(cells_[item].size()) ? cells_[item][column] : std::string();
    }
    int reads() const { return reads_; }

  private:
    int columns_;
    std::vector<std::vector<std::string>> cells_;
    mutable int reads_ = 0;
};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class ArchiveTest : public ReportTest {
  public:
    // Where the archive of 5 March 2024 (the fixture's day) is put: beside the executable's folder.
    std::string OutputPath(const std::string& day = "05_03_2024") const {
        return folder.file("desk Архив ЗКВ от " + day + ".xlsx");
    }
    int Export(Table& table) {
        ListViewHandle handle(table);
        return Archive2excell(handle.Handle());
    }
    // Files beside the output under temporary names.
    std::vector<std::string> Temporaries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            if (entry.path().filename().string().front() == '.') names.push_back(entry.path().filename());
        }
        return names;
    }
};

// ---- result codes ----------------------------------------------------------------------------

enum class Box { None, TemplateMissing, OutputNotCreatable };

struct CodeCase {
    const char* name;
    int items;
    std::function<void(ArchiveTest&)> arrange;
    int expected;
    bool started;
    bool quit;
    Box box;
};

void PrintTo(const CodeCase& c, std::ostream* out) { *out << c.name; }

class ArchiveCodes : public ArchiveTest, public testing::WithParamInterface<CodeCase> {};

TEST_P(ArchiveCodes, StepAnswersItsResultCode) {
    const CodeCase& c = GetParam();
    c.arrange(*this);
    Table table(c.items);
    EXPECT_EQ(Export(table), c.expected);
    EXPECT_EQ(world.created() > 0, c.started);
    EXPECT_EQ(CountMember(world, "Quit"), c.quit ? 1 : 0);
    std::vector<ShownBox> expectedBoxes;
    if (c.box == Box::TemplateMissing)
        expectedBoxes.push_back(
            {"Недоступен файл шаблона \n " + TemplatePath("Архив ЗКВ"), kCaption, MB_OK | MB_ICONERROR});
    if (c.box == Box::OutputNotCreatable)
        expectedBoxes.push_back(
            {"Невозможно создать файл\n " + OutputPath(), kCaption, MB_OK | MB_ICONERROR});
    EXPECT_EQ(boxes, expectedBoxes);
    if (c.expected != 0) {
        EXPECT_EQ(CountMember(world, "Visible"), 0);
    }
    // The output is written by SaveAs alone, once complete; the copy the workbook was made in is
    // gone however the export ended.
    EXPECT_EQ(CountMember(world, "Save"), 0);
    EXPECT_EQ(Temporaries(), std::vector<std::string>{});
}

void Nothing(ArchiveTest&) {}

INSTANTIATE_TEST_SUITE_P(
    Steps, ArchiveCodes,
    testing::Values(
        CodeCase{"Filled", 3, Nothing, 0, true, false, Box::None},
        CodeCase{"TemplateMissing", 3,
                 [](ArchiveTest& test) { std::filesystem::remove(test.TemplatePath("Архив ЗКВ")); }, -3,
                 false, false, Box::TemplateMissing},
        CodeCase{"TemplateEmpty", 3,
                 [](ArchiveTest& test) { std::ofstream(test.TemplatePath("Архив ЗКВ"), std::ios::trunc); },
                 -3, false, false, Box::None},
        CodeCase{"OutputNotCreatable", 3,
                 [](ArchiveTest& test) { std::filesystem::create_directory(test.OutputPath()); }, -3, false,
                 false, Box::OutputNotCreatable},
        CodeCase{"NoSpreadsheetApplication", 3, [](ArchiveTest& test) { test.UninstallApplication(); }, -5,
                 false, false, Box::None},
        CodeCase{"WorkbooksUnavailable", 3,
                 [](ArchiveTest& test) { test.world.Fail("Workbooks", DISP_E_EXCEPTION); }, -6, true, true,
                 Box::None},
        CodeCase{"WorksheetsUnavailable", 3,
                 [](ArchiveTest& test) { test.world.Fail("Worksheets", DISP_E_EXCEPTION); }, -7, true, true,
                 Box::None},
        CodeCase{"FirstDeletionFails", 1,
                 [](ArchiveTest& test) { test.world.Fail("Delete", DISP_E_EXCEPTION); }, -8, true, true,
                 Box::None},
        CodeCase{"OnlyDeletionOfTwoItemsFails", 2,
                 [](ArchiveTest& test) { test.world.Fail("Delete", DISP_E_EXCEPTION); }, -8, true, true,
                 Box::None},
        CodeCase{"SecondDeletionFails", 1,
                 [](ArchiveTest& test) { test.world.Fail("Delete", DISP_E_EXCEPTION, "", 1); }, -9, true,
                 true, Box::None},
        CodeCase{"CellWriteFails", 3,
                 [](ArchiveTest& test) { test.world.Fail("Value", DISP_E_TYPEMISMATCH); }, -11, true, true,
                 Box::None},
        CodeCase{"OutputCannotBeWritten", 3,
                 [](ArchiveTest& test) { test.world.Fail("SaveAs", DISP_E_EXCEPTION); }, -3, true, true,
                 Box::OutputNotCreatable}),
    [](const testing::TestParamInfo<CodeCase>& step) { return std::string(step.param.name); });

// ---- rows and cells --------------------------------------------------------------------------

struct RowsCase {
    int items;
    int deleted;
    int inserted;
    bool rowSelected;  // row 6 was selected to be copied
};

void PrintTo(const RowsCase& c, std::ostream* out) { *out << c.items << " items"; }

class ArchiveRows : public ArchiveTest, public testing::WithParamInterface<RowsCase> {};

TEST_P(ArchiveRows, TemplateRowsBecomeAsManyAsTheTableHasItems) {
    const RowsCase& c = GetParam();
    Table table(c.items);
    ASSERT_EQ(Export(table), 0);
    EXPECT_EQ(CountLines(world, "Rows(\"6:6\") method Delete()"), c.deleted);
    EXPECT_EQ(CountMember(world, "Insert"), c.inserted);
    EXPECT_EQ(CountLines(world, "Rows(\"6:6\") method Select()"), c.rowSelected ? 1 : 0);
    int lastRow = 0;
    for (const WrittenCell& cell : WrittenCells(world)) {
        if (cell.row >= 5) lastRow = std::max(lastRow, cell.row);
    }
    EXPECT_EQ(lastRow, c.items == 0 ? 0 : 4 + c.items);
    // The title is written whatever the table holds.
    EXPECT_EQ(CountLines(world, "Cells(int:2,int:8) put Value(\"Архив ЗКВ от 05.03.2024\")"), 1);
}

INSTANTIATE_TEST_SUITE_P(Counts, ArchiveRows,
                         testing::Values(RowsCase{0, 2, 0, false}, RowsCase{1, 2, 0, false},
                                         RowsCase{2, 1, 0, false}, RowsCase{3, 0, 0, true},
                                         RowsCase{10, 0, 7, true}),
                         [](const testing::TestParamInfo<RowsCase>& count) {
                             return std::to_string(count.param.items) + "Items";
                         });

TEST_F(ArchiveTest, EveryCellTextLandsFromB5AndBlankOnesAreLeftAsTheTemplateHasThem) {
    Table table(3);
    table.Set(1, 5, "");
    table.Set(2, 3, "\xEA\xCF\xE0");  // "кПа" in code page 1251, as the table holds it
    ASSERT_EQ(Export(table), 0);
    std::multiset<WrittenCell> expected{{"Item(i4:1)", 2, 8, "Архив ЗКВ от 05.03.2024"}};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 17; ++j) {
            std::string text = "r" + std::to_string(i) + "c" + std::to_string(j);
            if (i == 1 && j == 5) continue;
            if (i == 2 && j == 3) text = "кПа";
            expected.insert({"Item(i4:1)", 5 + i, 2 + j, text});
        }
    }
    const std::vector<WrittenCell> written = WrittenCells(world);
    EXPECT_EQ(std::multiset<WrittenCell>(written.begin(), written.end()), expected);
    EXPECT_EQ(std::count(written.begin(), written.end(), WrittenCell{"Item(i4:1)", 7, 18, "r2c16"}),
              1);  // R7
}

TEST_F(ArchiveTest, NameAndTitleTellTheUniversalDateOfOneClockReading) {
    // 00:30 in a zone three hours east of UTC is still the day before in UTC; the second reading
    // of the clock would be the next UTC day.
    SetTimeZone("MSK-3");
    SetClockReadings({UtcAt(2024, 3, 4, 23, 59, 59) + std::chrono::milliseconds(600),
                      UtcAt(2024, 3, 5, 0, 0, 0) + std::chrono::milliseconds(100)});
    Table table(1);
    ASSERT_EQ(Export(table), 0);
    EXPECT_TRUE(EndsWith(world.Lines()[world.Lines().size() - 2],
                         " method SaveAs(\"" + OutputPath("04_03_2024") + "\")"));
    EXPECT_EQ(CountLines(world, "Cells(int:2,int:8) put Value(\"Архив ЗКВ от 04.03.2024\")"), 1);
}

// The workbook is made in a copy of the template beside the output and written over an earlier
// export of the day only by SaveAs, once complete; the recording application writes nothing, so
// the earlier export is still there.
TEST_F(ArchiveTest, WorkbookIsMadeInACopyAndWrittenOverAnEarlierExportOfTheDayOnlyWhole) {
    std::ofstream(OutputPath()) << "yesterday's export";
    Table table(4);
    ASSERT_EQ(Export(table), 0);
    const std::vector<std::string> lines = world.Lines();
    const std::string copy = folder.file(".desk Архив ЗКВ от 05_03_2024.xlsx." + std::to_string(getpid()) + ".");
    EXPECT_EQ(lines.front(), "Excel get Workbooks()");
    EXPECT_EQ(lines[1].rfind("Workbooks method Open(\"" + copy, 0), 0u) << lines[1];
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(EndsWith(lines[lines.size() - 2], " method SaveAs(\"" + OutputPath() + "\")"));
    EXPECT_EQ(lines.back(), "Excel put Visible(bool:-1)");
    EXPECT_EQ(CountMember(world, "Save"), 0);
    EXPECT_EQ(CountMember(world, "Quit"), 0);
    EXPECT_EQ(ReadFile(OutputPath()), "yesterday's export");
    EXPECT_EQ(Temporaries(), std::vector<std::string>{});
}

TEST_F(ArchiveTest, ATableClaimingEndlessColumnsIsReadAsFarAsTheWorksheetReaches) {
    Table table(1, INT_MAX);
    ASSERT_EQ(Export(table), 0);
    // Columns B to XFD: 16383 sub-items of the one item are read, the 17 with texts written.
    EXPECT_EQ(table.reads(), 16383);
    EXPECT_EQ(WrittenCells(world).size(), 1u + 17u);
}

TEST(ArchiveTemplateCopy, CopiesEveryByteBesideTheDestinationAndLeavesTheDestinationAlone) {
    testing_support::TempFolder folder;
    std::string content("PK\x03\x04", 4);
    for (int i = 0; i < 70000; ++i)
        content += static_cast<char>(i % 256);  // more than one read, NULs included
    std::ofstream(folder.file("source"), std::ios::binary) << content;
    std::ofstream(folder.file("destination"), std::ios::binary) << "older and longer than nothing";
    std::string copyPath;
    {
        std::optional<WorkingCopy> copy;
        EXPECT_EQ(CopyTemplate(folder.file("destination"), folder.file("source"), copy), 0);
        copyPath = copy->path();
        EXPECT_EQ(copyPath.rfind(folder.file(".destination."), 0), 0u) << copyPath;
        EXPECT_EQ(ReadFile(copyPath), content);
    }
    EXPECT_FALSE(std::filesystem::exists(copyPath)) << "removed with its object";
    EXPECT_EQ(ReadFile(folder.file("destination")), "older and longer than nothing");

    // A template that is a FIFO is not opened (it would block): it is unreadable.
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    std::optional<WorkingCopy> copy;
    EXPECT_EQ(CopyTemplate(folder.file("destination"), folder.file("fifo"), copy), -1);
}

}  // namespace
