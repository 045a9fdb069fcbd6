// The protocol workbook against the recording application: result codes of every step, the file
// it is saved as, where each text of the record lands, the point rows, and the hidden sheets.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <set>
#include <string>

#include "sheet/cell_maps.h"
#include "sheet/protocol_report.h"
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

const char* const kVerificationFile = "Протокол поверки ДД 2024.03.05 09.07.03.xlsx";

void Put(char (&slot)[kSlotSize], const std::string& text) {
    std::snprintf(slot, kSlotSize, "%s", text.c_str());
}

std::string Sheet(int channel) { return "Item(i4:" + std::to_string(channel + 1) + ")"; }

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Every text of a channel says where it comes from: "h2.5" is header text 5 of channel 2,
// "p2.11.3" point text 3 of point row 11, "f2.2" footer text 2, "sheet2" the sheet name.
std::unique_ptr<TAllTextToExcel> Record(std::int32_t mode, std::array<int, kChannels> points) {
    auto record = testing_support::EmptyRecord(mode);
    for (int c = 0; c < kChannels; ++c) {
        ChannelReportBlock& block = record->Channel[c];
        const std::string id = std::to_string(c + 1);
        block.Present = points[c] > 0;
        block.PointCount = points[c];
        for (int k = 0; k < kHeaderTexts; ++k) Put(block.HeaderText[k], "h" + id + "." + std::to_string(k));
        for (int p = 0; p < kMaxPointRows; ++p) {
            for (int k = 0; k < kPointTexts; ++k)
                Put(block.PointText[p].Text[k], "p" + id + "." + std::to_string(p) + "." + std::to_string(k));
        }
        for (int k : {0, 2, 3}) Put(block.FooterText[k], "f" + id + "." + std::to_string(k));
        Put(block.SheetName, "sheet" + id);
    }
    return record;
}

// The cells a channel's texts belong at by the map, on the channel's worksheet.
std::multiset<WrittenCell> ExpectedCells(const TAllTextToExcel& record, const PosPov& map, int c) {
    const ChannelReportBlock& block = record.Channel[c];
    std::multiset<WrittenCell> cells;
    auto add = [&](const CellPos& at, int down, std::string_view text) {
        if (at.Row >= 1 && !text.empty())
            cells.insert({Sheet(c), at.Row + down, at.Column - 64, std::string(text)});
    };
    for (int k = 0; k < kHeaderTexts; ++k) add(map.HeaderCells[k], 0, SlotText(block.HeaderText[k]));
    add(map.FooterCells[0], 0, VerdictText(block));
    add(map.FooterCells[1], 0, SlotText(block.FooterText[2]));
    add(map.FooterCells[2], 0, SlotText(block.FooterText[3]));
    for (int p = 0; p < PointRowCount(block); ++p) {
        for (int k = 0; k < kPointTexts; ++k) add(map.PointCols[k], p, SlotText(block.PointText[p].Text[k]));
    }
    return cells;
}

std::multiset<WrittenCell> CellsOn(const std::vector<WrittenCell>& written, const std::string& sheet) {
    std::multiset<WrittenCell> cells;
    for (const WrittenCell& cell : written) {
        if (cell.sheet == sheet) cells.insert(cell);
    }
    return cells;
}

class ProtocolTest : public ReportTest {
  public:
    // The paths the workbooks were saved as, in call order.
    std::vector<std::string> SavedAs() const {
        std::vector<std::string> paths;
        const std::string marker = " method SaveAs(\"";
        for (const std::string& line : world.Lines()) {
            const std::size_t at = line.find(marker);
            if (at != std::string::npos) paths.push_back(line.substr(at + marker.size(), line.size() - at - marker.size() - 2));
        }
        return paths;
    }
    std::vector<std::string> ReportFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(ReportsFolder()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

// ---- result codes ----------------------------------------------------------------------------

struct CodeCase {
    const char* name;
    std::int32_t mode;
    std::function<void(ProtocolTest&, TAllTextToExcel&)> arrange;
    int expected;
    bool started;  // the application was created
    bool quit;     // and told to quit
    bool noApplicationBox;
    bool filled;  // the workbook was filled before the step failed
};

void PrintTo(const CodeCase& c, std::ostream* out) { *out << c.name; }

class ProtocolCodes : public ProtocolTest, public testing::WithParamInterface<CodeCase> {};

TEST_P(ProtocolCodes, StepAnswersItsResultCode) {
    const CodeCase& c = GetParam();
    auto record = Record(c.mode, {3, 3, 3, 3});
    c.arrange(*this, *record);
    EXPECT_EQ(FormReport(record.get()), c.expected);
    EXPECT_EQ(world.created() > 0, c.started);
    EXPECT_EQ(CountMember(world, "Quit"), c.quit ? 1 : 0);
    const ShownBox noApplication{"ПО Microsoft Excel не установлено!", "Ошибка формирования протокола",
                                 MB_OK | MB_ICONERROR};
    EXPECT_EQ(boxes, c.noApplicationBox ? std::vector<ShownBox>{noApplication} : std::vector<ShownBox>{});
    // The recording application writes nothing, and the copy the workbook was made in is gone
    // however the protocol ended.
    if (std::filesystem::is_directory(ReportsFolder())) {
        EXPECT_EQ(ReportFiles(), std::vector<std::string>{});
    }
    EXPECT_EQ(WrittenCells(world).empty(), !c.filled);
    // A failed protocol shows no application.
    if (c.expected != 0) {
        EXPECT_EQ(CountMember(world, "Visible"), 0);
    }
}

void Nothing(ProtocolTest&, TAllTextToExcel&) {}

INSTANTIATE_TEST_SUITE_P(
    Steps, ProtocolCodes,
    testing::Values(
        CodeCase{"Filled", 0, Nothing, 0, true, false, false, true},
        CodeCase{"RecordSizeWrong",
                 0,
                 [](ProtocolTest&, TAllTextToExcel& r) { r.StructSize = 97963; },
                 -1,
                 false,
                 false,
                 false,
                 false},
        CodeCase{"KindUnknown", 2, Nothing, -102, false, false, false, {}},
        CodeCase{"TemplateMissing",
                 1,
                 [](ProtocolTest& test, TAllTextToExcel&) {
                     std::filesystem::remove(test.TemplatePath("Протокол калибровки ДД"));
                 },
                 -103,
                 false,
                 false,
                 false,
                 false},
        CodeCase{
            "ReportsFolderMissing",
            0,
            [](ProtocolTest& test, TAllTextToExcel&) { std::filesystem::remove_all(test.ReportsFolder()); },
            -104,
            false,
            false,
            false,
            false},
        CodeCase{"ReportsIsAFile",
                 0,
                 [](ProtocolTest& test, TAllTextToExcel&) {
                     std::filesystem::remove_all(test.ReportsFolder());
                     std::ofstream(test.ReportsFolder()) << "not a folder";
                 },
                 -104,
                 false,
                 false,
                 false,
                 false},
        CodeCase{"NoSpreadsheetApplication",
                 0,
                 [](ProtocolTest& test, TAllTextToExcel&) { test.UninstallApplication(); },
                 -211,
                 false,
                 false,
                 true,
                 false},
        CodeCase{"WorkbooksUnavailable",
                 0,
                 [](ProtocolTest& test, TAllTextToExcel&) { test.world.Fail("Workbooks", DISP_E_EXCEPTION); },
                 -112,
                 true,
                 true,
                 false,
                 false},
        CodeCase{
            "WorksheetsUnavailable",
            0,
            [](ProtocolTest& test, TAllTextToExcel&) { test.world.Fail("Worksheets", DISP_E_EXCEPTION); },
            -107,
            true,
            true,
            false,
            false},
        CodeCase{"FirstWorksheetMissing",
                 0,
                 [](ProtocolTest& test, TAllTextToExcel&) { test.world.Fail("Item(i4:1)", DISP_E_BADINDEX); },
                 -107,
                 true,
                 true,
                 false,
                 false},
        CodeCase{"ProtocolCannotBeWritten",
                 0,
                 [](ProtocolTest& test, TAllTextToExcel&) { test.world.Fail("SaveAs", DISP_E_EXCEPTION); },
                 -104,
                 true,
                 true,
                 false,
                 true}),
    [](const testing::TestParamInfo<CodeCase>& step) { return std::string(step.param.name); });

// ---- the workbook file -----------------------------------------------------------------------

TEST_F(ProtocolTest, FilledCopyIsSavedUnderTheProtocolsNameAndShownWithTheFirstSheetSelected) {
    auto record = Record(0, {3, 3, 3, 3});
    ASSERT_EQ(FormReport(record.get()), 0);
    const std::vector<std::string> lines = world.Lines();
    ASSERT_GE(lines.size(), 3u);
    const std::string copy = ReportsFolder() + "/." + kVerificationFile + "." + std::to_string(getpid()) + ".";
    EXPECT_EQ(CountLines(world, lines[1]), 1);
    EXPECT_EQ(lines[1].rfind("Workbooks method Open(\"" + copy, 0), 0u) << lines[1];
    EXPECT_EQ(lines[lines.size() - 3], "Item(i4:1) method Select()");
    EXPECT_EQ(lines[lines.size() - 2].rfind("Open(\"" + copy, 0), 0u) << lines[lines.size() - 2];
    EXPECT_EQ(SavedAs(), std::vector<std::string>{ReportsFolder() + "/" + kVerificationFile});
    EXPECT_EQ(lines.back(), "Excel put Visible(bool:-1)");
    EXPECT_EQ(CountMember(world, "Quit"), 0);
    EXPECT_EQ(CountMember(world, "Save"), 0);
    // The copy it was made in is gone; the recording application wrote nothing.
    EXPECT_EQ(ReportFiles(), std::vector<std::string>{});
}

TEST_F(ProtocolTest, FileNameTakesTheDateAndTheTimeFromOneReadingOfTheClock) {
    // Each reading of the clock is half a second later; the second one is already the next day.
    SetClockReadings({UtcAt(2024, 3, 5, 23, 59, 59) + std::chrono::milliseconds(600),
                      UtcAt(2024, 3, 6, 0, 0, 0) + std::chrono::milliseconds(100),
                      UtcAt(2024, 3, 6, 0, 0, 0) + std::chrono::milliseconds(600)});
    auto record = Record(1, {1, 0, 0, 0});
    ASSERT_EQ(FormReport(record.get()), 0);
    EXPECT_EQ(SavedAs(), std::vector<std::string>{ReportsFolder() + "/Протокол калибровки ДД 2024.03.05 23.59.59.xlsx"});
}

TEST_F(ProtocolTest, FileNameTellsTheLocalDateAndTimeAndASecondProtocolWithinItIsSavedUnderItToo) {
    SetTimeZone("MSK-3");  // three hours east of UTC
    SetClockReadings({UtcAt(2024, 12, 31, 21, 30, 5)});
    auto record = Record(0, {1, 0, 0, 0});
    ASSERT_EQ(FormReport(record.get()), 0);
    ASSERT_EQ(FormReport(record.get()), 0);
    const std::string path = ReportsFolder() + "/Протокол поверки ДД 2025.01.01 00.30.05.xlsx";
    EXPECT_EQ(SavedAs(), (std::vector<std::string>{path, path}));
}

// ---- texts and cells -------------------------------------------------------------------------

struct MapCase {
    const char* name;
    std::int32_t mode;
    const PosPov* map;
    std::vector<WrittenCell> spots;         // on channel 2's sheet, as the protocol forms show them
    std::vector<std::string> neverWritten;  // texts the map does not place
};

void PrintTo(const MapCase& c, std::ostream* out) { *out << c.name; }

class ProtocolCells : public ProtocolTest, public testing::WithParamInterface<MapCase> {};

TEST_P(ProtocolCells, EachChannelsTextsLandAtTheCellsOfItsOwnSheet) {
    const MapCase& c = GetParam();
    auto record = Record(c.mode, {4, 3, 2, 1});
    ASSERT_EQ(FormReport(record.get()), 0);
    const std::vector<WrittenCell> written = WrittenCells(world);
    std::size_t expectedCount = 0;
    for (int ch = 0; ch < kChannels; ++ch) {
        const std::multiset<WrittenCell> expected = ExpectedCells(*record, *c.map, ch);
        EXPECT_EQ(CellsOn(written, Sheet(ch)), expected) << "channel " << ch + 1;
        expectedCount += expected.size();
        EXPECT_EQ(CountLines(world, Sheet(ch) + " put Name(\"sheet" + std::to_string(ch + 1) + "\")"), 1);
    }
    EXPECT_EQ(written.size(), expectedCount);  // nothing anywhere else
    for (const WrittenCell& spot : c.spots) EXPECT_EQ(std::count(written.begin(), written.end(), spot), 1);
    for (const std::string& text : c.neverWritten) {
        EXPECT_TRUE(std::none_of(written.begin(), written.end(), [&](const WrittenCell& w) {
            return w.text == text;
        })) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ProtocolCells,
                         testing::Values(MapCase{"Verification",
                                                 0,
                                                 &kVerificationMap,
                                                 {{Sheet(1), 4, 1, "h2.0"},
                                                  {Sheet(1), 31, 6, "h2.20"},
                                                  {Sheet(1), 32, 6, "p2.0.4"},
                                                  {Sheet(1), 32, 8, "p2.0.5"},
                                                  {Sheet(1), 34, 2, "p2.2.0"},
                                                  {Sheet(1), 44, 1, "f2.0"},
                                                  {Sheet(1), 47, 2, "f2.2"},
                                                  {Sheet(1), 47, 7, "f2.3"}},
                                                 {"p2.0.6", "p2.1.6"}},
                                         MapCase{"Calibration",
                                                 1,
                                                 &kCalibrationMap,
                                                 {{Sheet(1), 4, 1, "h2.0"},
                                                  {Sheet(1), 32, 6, "p2.0.6"},
                                                  {Sheet(1), 46, 2, "f2.2"},
                                                  {Sheet(1), 46, 8, "f2.3"}},
                                                 {"p2.0.4", "p2.0.5", "f2.0"}}),
                         [](const testing::TestParamInfo<MapCase>& kind) {
                             return std::string(kind.param.name);
                         });

struct RowsCase {
    int points;
    int inserted;
    int lastRow;  // of the written points
};

void PrintTo(const RowsCase& c, std::ostream* out) { *out << c.points << " points"; }

class ProtocolPointRows : public ProtocolTest, public testing::WithParamInterface<RowsCase> {};

TEST_P(ProtocolPointRows, RowsBeyondTenAreCopiesOfTheFirstInsertedAfterTheFooterIsWritten) {
    const RowsCase& c = GetParam();
    auto record = Record(0, {c.points, 0, 0, 0});
    ASSERT_EQ(FormReport(record.get()), 0);
    EXPECT_EQ(CountMember(world, "Insert"), c.inserted);
    EXPECT_EQ(CountMember(world, "Copy"), c.inserted);
    EXPECT_EQ(CountLines(world, "Item(i4:1) get Rows(\"32:32\")"), c.inserted > 0 ? 1 : 0);
    int lastPointRow = 0, points = 0;
    for (const WrittenCell& cell : WrittenCells(world)) {
        if (!StartsWith(cell.text, "p1.")) continue;
        lastPointRow = std::max(lastPointRow, cell.row);
        ++points;
    }
    EXPECT_EQ(lastPointRow, c.lastRow);
    EXPECT_EQ(points, (c.lastRow - 31) * 6);  // six of the seven texts are placed in a verification
    // The footer goes in before the rows are inserted, so that it moves down with the template's.
    const std::vector<std::string> lines = world.Lines();
    const auto footer = std::find(lines.begin(), lines.end(), "Cells(int:47,int:7) put Value(\"f1.3\")");
    const auto firstInsert = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find(" method Insert()") != std::string::npos;
    });
    ASSERT_NE(footer, lines.end());
    EXPECT_LT(footer - lines.begin(), firstInsert - lines.begin());
}

INSTANTIATE_TEST_SUITE_P(Counts, ProtocolPointRows,
                         testing::Values(RowsCase{1, 0, 32}, RowsCase{10, 0, 41}, RowsCase{11, 1, 42},
                                         RowsCase{40, 30, 71}, RowsCase{41, 30, 71}, RowsCase{1000, 30, 71}),
                         [](const testing::TestParamInfo<RowsCase>& count) {
                             return std::to_string(count.param.points) + "Points";
                         });

// ---- sheets ----------------------------------------------------------------------------------

TEST_F(ProtocolTest, SheetsOfAbsentChannelsAreHidden) {
    auto record = Record(0, {2, 0, 2, 0});
    // Channel 2 has texts but no point; channel 4 is all zero, as the workstation leaves an unused one.
    std::memset(&record->Channel[3], 0, sizeof(ChannelReportBlock));
    ASSERT_EQ(FormReport(record.get()), 0);
    for (int ch : {1, 3}) EXPECT_EQ(CountLines(world, Sheet(ch) + " put Visible(bool:0)"), 1) << ch;
    for (int ch : {0, 2}) EXPECT_EQ(CountLines(world, Sheet(ch) + " put Visible(bool:0)"), 0) << ch;
    const std::vector<WrittenCell> written = WrittenCells(world);
    EXPECT_EQ(CellsOn(written, Sheet(1)), ExpectedCells(*record, kVerificationMap, 1));
    EXPECT_EQ(CountLines(world, Sheet(1) + " put Name(\"sheet2\")"), 1);
    // The all-zero channel keeps its worksheet as the template made it.
    EXPECT_TRUE(CellsOn(written, Sheet(3)).empty());
    EXPECT_EQ(CountMember(world, "Name"), 3);
}

struct UnselectableCase {
    const char* name;
    const char* member;
    const char* receiver;
};

void PrintTo(const UnselectableCase& c, std::ostream* out) { *out << c.name; }

class ProtocolUnselectableSheet : public ProtocolTest,
                                  public testing::WithParamInterface<UnselectableCase> {};

TEST_P(ProtocolUnselectableSheet, TakesNoTextsAndLendsThemToNoOtherSheet) {
    world.Fail(GetParam().member, DISP_E_BADINDEX, GetParam().receiver);
    auto record = Record(0, {2, 2, 2, 2});
    ASSERT_EQ(FormReport(record.get()), 0);  // a sheet that cannot be written does not fail the protocol
    const std::vector<WrittenCell> written = WrittenCells(world);
    for (int ch : {0, 1, 3})
        EXPECT_EQ(CellsOn(written, Sheet(ch)), ExpectedCells(*record, kVerificationMap, ch));
    EXPECT_TRUE(std::none_of(written.begin(), written.end(), [](const WrittenCell& w) {
        return StartsWith(w.text, "h3.") || StartsWith(w.text, "p3.") || StartsWith(w.text, "f3.");
    }));
    EXPECT_EQ(CountMember(world, "Name"), 3);
    EXPECT_EQ(CountLines(world, "Excel put Visible(bool:-1)"), 1);
}

INSTANTIATE_TEST_SUITE_P(Failures, ProtocolUnselectableSheet,
                         testing::Values(UnselectableCase{"CannotBeGot", "Item(i4:3)", ""},
                                         UnselectableCase{"CannotBeSelected", "Select", "Item(i4:3)"}),
                         [](const testing::TestParamInfo<UnselectableCase>& failure) {
                             return std::string(failure.param.name);
                         });

}  // namespace
