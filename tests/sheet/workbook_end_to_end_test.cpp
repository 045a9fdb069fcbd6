// Protocols and archives made by the report library in the spreadsheet application itself, from
// the installed templates, and read back by openpyxl: every text at its cell, the template's own
// texts moved with the rows, hidden sheets, and the result codes of missing and broken templates;
// and when a workbook cannot be written, the template is broken or an export died: an earlier
// output stays as it was, no file stands under a protocol's name that was not made, and no
// temporary file is left.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/automation/list_view_handle.h"
#include "platform/spreadsheet/spreadsheet_app.h"
#include "platform/text/wide_text.h"
#include "sheet/cell_maps.h"
#include "sheet/zkvsheet.h"
#include "tests/sheet/report_fixture.h"
#include "tests/sheet/workbook_dump.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/other_process.h"
#include "tests/support/workbook_reader.h"

namespace {

using namespace platform;
using namespace sheet;
using testing_support::CellRef;
using testing_support::ReadWorkbook;
using testing_support::ReportTest;
using testing_support::SheetDump;
using testing_support::WorkbookDump;

constexpr int kFirstPointRow = 32;
constexpr int kTemplatePointRows = 10;

std::string Cp1251(const std::string& utf8) { return Cp1251FromWide(WideFromUtf8(utf8)); }

void Put(char* slot, std::size_t size, const std::string& utf8) {
    std::snprintf(slot, size, "%s", Cp1251(utf8).c_str());
}

// The spreadsheet application installed with the platform, its workbooks handed to a desktop
// that only notes what it was given.
class WorkbookEndToEnd : public ReportTest {
  public:
    void SetUp() override {
        ReportTest::SetUp();
        UnregisterServer(u"Excel.Application");
        previousDesktop_ = SetSpreadsheetDesktop(
            {[] { return true; }, [this](const std::string& path) { opened.push_back(path); }});
    }
    void TearDown() override {
        SetSpreadsheetDesktop(previousDesktop_);
        ReportTest::TearDown();
    }

    std::string OnlyReport() const {
        std::vector<std::string> paths;
        for (const auto& entry : std::filesystem::directory_iterator(ReportsFolder()))
            paths.push_back(entry.path());
        return paths.size() == 1 ? paths[0] : std::string();
    }

    std::vector<std::string> opened;

  private:
    SpreadsheetDesktop previousDesktop_;
};

// Non-empty cell values of a sheet, by reference.
std::map<std::string, std::string> Texts(const SheetDump& sheet) {
    std::map<std::string, std::string> texts;
    for (const auto& [ref, cell] : sheet.cells) {
        if (!cell.value.empty()) texts[ref] = cell.value;
    }
    return texts;
}

// The template's own texts as they stand after `inserted` copies of the first point row: rows
// below it move down with everything else.
std::map<std::string, std::string> MovedTemplateTexts(const SheetDump& templateSheet, int inserted) {
    std::map<std::string, std::string> texts;
    for (int column = 1; column <= 26; ++column) {
        for (int row = 1; row <= 100; ++row) {
            const std::string value = templateSheet.Value(CellRef(column, row));
            if (!value.empty()) texts[CellRef(column, row > kFirstPointRow ? row + inserted : row)] = value;
        }
    }
    return texts;
}

// ---- protocols -------------------------------------------------------------------------------

// A channel's texts as the workstation writes them, each naming its channel and slot.
void FillChannel(ChannelReportBlock& block, int c, int points) {
    const std::string id = std::to_string(c + 1);
    block.Present = points > 0;
    block.PointCount = points;
    Put(block.HeaderText[0], kSlotSize, "периодической поверки датчика давления " + id);
    for (int k = 1; k < kHeaderTexts; ++k)
        Put(block.HeaderText[k], kSlotSize, "заг " + id + "." + std::to_string(k));
    for (int p = 0; p < points && p < kMaxPointRows; ++p) {
        for (int k = 0; k < kPointTexts; ++k)
            Put(block.PointText[p].Text[k], kSlotSize,
                id + "." + std::to_string(p) + "." + std::to_string(k));
    }
    // The verdict runs on from its first slot into the second.
    std::string verdict =
        "Результаты поверки датчика давления  Метран-100, зав. № 00" + id + " положительны.";
    while (verdict.size() < 200) verdict += " Ещё";
    std::string cut = Cp1251(verdict).substr(0, kVerdictSize - 1);
    std::memcpy(block.FooterText[0], cut.data(), cut.size());
    Put(block.FooterText[2], kSlotSize, "2024.03.05");
    Put(block.FooterText[3], kSlotSize, "Иванов И. И. " + id);
    Put(block.SheetName, kSlotSize, "Датчик " + id);
}

std::unique_ptr<TAllTextToExcel> Record(std::int32_t mode, std::array<int, kChannels> points) {
    auto record = testing_support::EmptyRecord(mode);
    for (int c = 0; c < kChannels; ++c) FillChannel(record->Channel[c], c, points[c]);
    return record;
}

// The texts a channel's sheet must hold: the template's, moved, and the record's at their cells.
std::map<std::string, std::string> ExpectedSheet(const SheetDump& templateSheet,
                                                 const TAllTextToExcel& record, const PosPov& map, int c) {
    const ChannelReportBlock& block = record.Channel[c];
    const int rows = PointRowCount(block);
    const int inserted = rows > kTemplatePointRows ? rows - kTemplatePointRows : 0;
    std::map<std::string, std::string> texts = MovedTemplateTexts(templateSheet, inserted);
    auto put = [&](const CellPos& at, int row, std::string_view text) {
        if (at.Row >= 1 && !text.empty())
            texts[CellRef(at.Column - 64, row)] = Utf8FromWide(WideFromCp1251(std::string(text)));
    };
    for (int k = 0; k < kHeaderTexts; ++k)
        put(map.HeaderCells[k], map.HeaderCells[k].Row, SlotText(block.HeaderText[k]));
    put(map.FooterCells[0], map.FooterCells[0].Row + inserted, VerdictText(block));
    put(map.FooterCells[1], map.FooterCells[1].Row + inserted, SlotText(block.FooterText[2]));
    put(map.FooterCells[2], map.FooterCells[2].Row + inserted, SlotText(block.FooterText[3]));
    for (int p = 0; p < rows; ++p) {
        for (int k = 0; k < kPointTexts; ++k)
            put(map.PointCols[k], map.PointCols[k].Row + p, SlotText(block.PointText[p].Text[k]));
    }
    return texts;
}

struct ProtocolKind {
    const char* name;
    std::int32_t mode;
    const char* title;
    const PosPov* map;
    const char* verdictOrDateCell;  // a footer cell after 30 inserted rows
};

void PrintTo(const ProtocolKind& kind, std::ostream* out) { *out << kind.name; }

class ProtocolWorkbook : public WorkbookEndToEnd, public testing::WithParamInterface<ProtocolKind> {};

TEST_P(ProtocolWorkbook, FourChannelsOfFortyPointsHoldEveryTextAtItsCell) {
    const ProtocolKind& kind = GetParam();
    auto record = Record(kind.mode, {40, 40, 40, 40});
    // The longest sensor name and model a slot holds, 79 characters.
    const std::string longName =
        "Преобразователь давления измерительный АИР-20/М2-ДИ-0,25  модель 160-ДИ-01 1600";
    ASSERT_EQ(Cp1251(longName).size(), 79u);
    Put(record->Channel[0].HeaderText[2], kSlotSize, longName);
    ASSERT_EQ(FormReport(record.get()), 0);
    const std::string path = OnlyReport();
    ASSERT_EQ(std::filesystem::path(path).filename().string(),
              std::string(kind.title) + " 2024.03.05 09.07.03.xlsx");
    EXPECT_EQ(opened, std::vector<std::string>{path});
    EXPECT_EQ(testing_support::RepairProblems(path), std::vector<std::string>{});

    const WorkbookDump templateBook = ReadWorkbook(TemplatePath(kind.title));
    const WorkbookDump book = ReadWorkbook(path);
    ASSERT_TRUE(templateBook.read) << templateBook.error;
    ASSERT_TRUE(book.read) << book.error;
    ASSERT_EQ(book.sheets.size(), 4u);
    for (int c = 0; c < kChannels; ++c) {
        SCOPED_TRACE("channel " + std::to_string(c + 1));
        const SheetDump& sheet = book.sheets[c];
        EXPECT_EQ(sheet.name, "Датчик " + std::to_string(c + 1));
        EXPECT_EQ(sheet.state, "visible");
        EXPECT_EQ(Texts(sheet), ExpectedSheet(templateBook.sheets[c], *record, *kind.map, c));
        EXPECT_NE(sheet.Value(kind.verdictOrDateCell), "");
        // A name too long for its line is shrunk to fit it rather than cut.
        EXPECT_EQ(sheet.cells.at("E7").fit, "shrink");
        // The inserted rows are ruled like the template's, and the page still ends below the footer.
        for (int row : {kFirstPointRow, kFirstPointRow + 20, kFirstPointRow + 39}) {
            EXPECT_EQ(sheet.cells.count(CellRef(2, row)) ? sheet.cells.at(CellRef(2, row)).sides : "", "LRTB")
                << row;
        }
        EXPECT_EQ(sheet.printArea, "$A$1:$J$78");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ProtocolWorkbook,
    testing::Values(ProtocolKind{"Verification", 0, "Протокол поверки ДД", &kVerificationMap, "A74"},
                    ProtocolKind{"Calibration", 1, "Протокол калибровки ДД", &kCalibrationMap, "B76"}),
    [](const testing::TestParamInfo<ProtocolKind>& kind) { return std::string(kind.param.name); });

TEST_F(WorkbookEndToEnd, SheetsOfAbsentChannelsAreHiddenAndUnusedOnesKeptAsTheTemplateHasThem) {
    // Channel 1 has texts but no point, channel 3 is unused (all zero).
    auto record = Record(0, {0, 12, 0, 1});
    std::memset(&record->Channel[2], 0, sizeof(ChannelReportBlock));
    ASSERT_EQ(FormReport(record.get()), 0);
    const WorkbookDump templateBook = ReadWorkbook(TemplatePath("Протокол поверки ДД"));
    const WorkbookDump book = ReadWorkbook(OnlyReport());
    ASSERT_TRUE(book.read) << book.error;
    EXPECT_EQ(testing_support::RepairProblems(OnlyReport()), std::vector<std::string>{});
    ASSERT_EQ(book.sheets.size(), 4u);
    const std::string states[] = {"hidden", "visible", "hidden", "visible"};
    const std::string names[] = {"Датчик 1", "Датчик 2", "Канал 3", "Датчик 4"};
    // A hidden sheet prints nothing, in any program: it has no print area.
    const std::string printAreas[] = {"", "$A$1:$J$50", "", "$A$1:$J$48"};
    for (int c = 0; c < kChannels; ++c) {
        EXPECT_EQ(book.sheets[c].state, states[c]) << c + 1;
        EXPECT_EQ(book.sheets[c].printArea, printAreas[c]) << c + 1;
        EXPECT_EQ(book.sheets[c].name, names[c]) << c + 1;
        EXPECT_EQ(Texts(book.sheets[c]), ExpectedSheet(templateBook.sheets[c], *record, kVerificationMap, c))
            << c + 1;
    }
    EXPECT_EQ(Texts(book.sheets[2]), Texts(templateBook.sheets[2]));
}

// ---- archives --------------------------------------------------------------------------------

// An archive table as the archive page shows it: 17 columns, code page 1251 texts.
class ArchiveTable : public ListViewSource {
  public:
    explicit ArchiveTable(int rows) {
        for (int i = 0; i < rows; ++i) {
            std::vector<std::string> row = {std::to_string(i + 1),
                                            "5/3/2024  10:" + std::to_string(i % 60) + ":7", "21.5000",
                                            Cp1251("кПа"), std::to_string(i) + ".1250"};
            for (int ch = 1; ch <= 4; ++ch) {
                row.push_back(std::to_string(i) + "." + std::to_string(ch) + "000");
                row.push_back("-0." + std::to_string(ch) + "50");
                char serial[16];
                std::snprintf(serial, sizeof serial, "%07d", 1000 * ch + i % 1000);
                row.push_back(serial);
            }
            rows_.push_back(row);
        }
    }
    int ItemCount() const override { return static_cast<int>(rows_.size()); }
    int ColumnCount() const override { return 17; }
    std::string CellText(int item, int column) const override { return rows_[item][column]; }

  private:
    std::vector<std::vector<std::string>> rows_;
};

TEST_F(WorkbookEndToEnd, ArchiveOfFiveHundredTwelveRowsHoldsEveryCellTextUnderTheTemplatesHeadings) {
    ArchiveTable table(512);
    ListViewHandle handle(table);
    ASSERT_EQ(Archive2excell(handle.Handle()), 0);
    const std::string path = folder.file("desk Архив ЗКВ от 05_03_2024.xlsx");
    EXPECT_EQ(opened, std::vector<std::string>{path});
    EXPECT_EQ(testing_support::RepairProblems(path), std::vector<std::string>{});

    const WorkbookDump templateBook = ReadWorkbook(TemplatePath("Архив ЗКВ"));
    const WorkbookDump book = ReadWorkbook(path);
    ASSERT_TRUE(templateBook.read) << templateBook.error;
    ASSERT_TRUE(book.read) << book.error;
    ASSERT_EQ(book.sheets.size(), 1u);
    const SheetDump& sheet = book.sheets[0];
    std::map<std::string, std::string> expected = Texts(templateBook.sheets[0]);
    expected["H2"] = "Архив ЗКВ от 05.03.2024";
    for (int i = 0; i < 512; ++i) {
        for (int j = 0; j < 17; ++j)
            expected[CellRef(2 + j, 5 + i)] = Utf8FromWide(WideFromCp1251(table.CellText(i, j)));
    }
    EXPECT_EQ(Texts(sheet), expected);
    for (int row : {5, 6, 300, 516}) EXPECT_EQ(sheet.cells.at(CellRef(18, row)).sides, "LRTB") << row;
    EXPECT_EQ(sheet.printArea, "$B$2:$R$516");
}

// ---- templates missing or broken -------------------------------------------------------------

struct TemplateCase {
    const char* name;
    bool archive;
    bool broken;  // present but not a workbook; else missing
    int expected;
};

void PrintTo(const TemplateCase& c, std::ostream* out) { *out << c.name; }

class BadTemplate : public WorkbookEndToEnd, public testing::WithParamInterface<TemplateCase> {};

TEST_P(BadTemplate, GivesItsResultCodeAndHandsNothingOver) {
    const TemplateCase& c = GetParam();
    const std::string templatePath = TemplatePath(c.archive ? "Архив ЗКВ" : "Протокол поверки ДД");
    if (c.broken)
        std::ofstream(templatePath, std::ios::trunc) << "PK\x03\x04 this is not a workbook";
    else
        std::filesystem::remove(templatePath);
    int result = 0;
    if (c.archive) {
        ArchiveTable table(3);
        ListViewHandle handle(table);
        result = Archive2excell(handle.Handle());
    } else {
        result = FormReport(Record(0, {3, 3, 3, 3}).get());
    }
    EXPECT_EQ(result, c.expected);
    EXPECT_TRUE(opened.empty());
}

INSTANTIATE_TEST_SUITE_P(Templates, BadTemplate,
                         testing::Values(TemplateCase{"ProtocolMissing", false, false, -103},
                                         TemplateCase{"ProtocolBroken", false, true, -107},
                                         TemplateCase{"ArchiveMissing", true, false, -3},
                                         TemplateCase{"ArchiveBroken", true, true, -7}),
                         [](const testing::TestParamInfo<TemplateCase>& c) {
                             return std::string(c.param.name);
                         });

// ---- saves that cannot be made, broken templates, exports that died ---------------------------

class WorkbookSave : public WorkbookEndToEnd {
  public:
    std::string ArchivePath() const { return folder.file("desk Архив ЗКВ от 05_03_2024.xlsx"); }
    int ExportArchive(int items) {
        ArchiveTable table(items);
        ListViewHandle handle(table);
        return Archive2excell(handle.Handle());
    }
    int FormProtocol() { return FormReport(Record(0, {40, 40, 40, 40}).get()); }
};

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

void Little(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A zip whose one part claims to unpack to `claimed` bytes from two: what a zip bomb looks like to
// a reader that believes its directory.
std::string ZipClaiming(const std::string& name, std::uint32_t claimed) {
    const std::string data("\x03\x00", 2);  // an empty deflate stream
    std::string zip;
    Little(zip, 0x04034b50, 4);
    Little(zip, 20, 2), Little(zip, 0, 2), Little(zip, 8, 2), Little(zip, 0, 2), Little(zip, 0, 2);
    Little(zip, 0, 4), Little(zip, static_cast<std::uint32_t>(data.size()), 4), Little(zip, claimed, 4);
    Little(zip, static_cast<std::uint32_t>(name.size()), 2), Little(zip, 0, 2);
    zip += name + data;
    const std::uint32_t directory = static_cast<std::uint32_t>(zip.size());
    Little(zip, 0x02014b50, 4);
    Little(zip, 20, 2), Little(zip, 20, 2), Little(zip, 0, 2), Little(zip, 8, 2), Little(zip, 0, 2), Little(zip, 0, 2);
    Little(zip, 0, 4), Little(zip, static_cast<std::uint32_t>(data.size()), 4), Little(zip, claimed, 4);
    Little(zip, static_cast<std::uint32_t>(name.size()), 2), Little(zip, 0, 2), Little(zip, 0, 2);
    Little(zip, 0, 2), Little(zip, 0, 2), Little(zip, 0, 4), Little(zip, 0, 4);
    zip += name;
    const std::uint32_t directorySize = static_cast<std::uint32_t>(zip.size()) - directory;
    Little(zip, 0x06054b50, 4);
    Little(zip, 0, 2), Little(zip, 0, 2), Little(zip, 1, 2), Little(zip, 1, 2);
    Little(zip, directorySize, 4), Little(zip, directory, 4), Little(zip, 0, 2);
    return zip;
}

// A disk that fills while the workbook is written: the template's copy fits, the filled workbook
// does not. The export fails with its code and leaves what was there.
TEST_F(WorkbookSave, AWorkbookThatCannotBeWrittenWholeFailsAndLeavesWhatWasThere) {
    std::ofstream(ArchivePath(), std::ios::binary) << "the day's earlier export";
    const std::size_t archiveTemplate = std::filesystem::file_size(TemplatePath("Архив ЗКВ"));
    EXPECT_TRUE(testing_support::RunWithFileSizeLimit(archiveTemplate + 1, [&] {
        return ExportArchive(512) == -3 && opened.empty() &&
               boxes == std::vector<testing_support::ShownBox>{
                            {"Невозможно создать файл\n " + ArchivePath(), "Ошибка формирования протокола",
                             MB_OK | MB_ICONERROR}};
    }));
    EXPECT_EQ(Bytes(ArchivePath()), "the day's earlier export");
    EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"desk", "desk Архив ЗКВ от 05_03_2024.xlsx"}));

    const std::size_t protocolTemplate = std::filesystem::file_size(TemplatePath("Протокол поверки ДД"));
    EXPECT_TRUE(testing_support::RunWithFileSizeLimit(protocolTemplate + 1, [&] {
        return FormProtocol() == -104 && opened.empty();
    }));
    EXPECT_EQ(Names(ReportsFolder()), std::vector<std::string>{}) << "no file under the protocol's name";

    // With room on the disk both are made, and handed over from their own names.
    ASSERT_EQ(ExportArchive(512), 0);
    ASSERT_EQ(FormProtocol(), 0);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], ArchivePath());
    EXPECT_EQ(Names(ReportsFolder()), std::vector<std::string>{"Протокол поверки ДД 2024.03.05 09.07.03.xlsx"});
    EXPECT_NE(Bytes(ArchivePath()), "the day's earlier export");
    EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"desk", "desk Архив ЗКВ от 05_03_2024.xlsx"}));
}

// A broken template and a zip bomb fail at the worksheet (-7, -107) without touching the day's
// earlier export; temporaries that killed exports left are removed, those of running ones kept.
TEST_F(WorkbookSave, ABrokenTemplateOrAKilledExportLeavesTheEarlierExportAndNoTemporaries) {
    const std::string dead = std::to_string(testing_support::EndedProcessId());
    const std::string alive = std::to_string(getppid());
    const std::vector<std::string> stale = {
        folder.file(".desk Архив ЗКВ от 04_03_2024.xlsx." + dead + ".0"),
        folder.file(".desk Архив ЗКВ от 05_03_2024.xlsx." + dead + ".3"),
        ReportsFolder() + "/.Протокол поверки ДД 2024.03.04 10.00.00.xlsx." + dead + ".0",
    };
    const std::string running = folder.file(".desk Архив ЗКВ от 05_03_2024.xlsx." + alive + ".0");
    for (const std::string& path : stale) std::ofstream(path) << "half a workbook";
    std::ofstream(running) << "being written";
    std::ofstream(ArchivePath(), std::ios::binary) << "the day's earlier export";

    const std::string archiveTemplate = TemplatePath("Архив ЗКВ");
    const std::string protocolTemplate = TemplatePath("Протокол поверки ДД");
    const struct {
        const char* name;
        std::string bytes;
    } templates[] = {
        {"broken", "PK\x03\x04 this is not a workbook"},
        {"zip bomb", ZipClaiming("[Content_Types].xml", 0xFFFFFF00u)},
    };
    for (const auto& t : templates) {
        SCOPED_TRACE(t.name);
        std::ofstream(archiveTemplate, std::ios::binary | std::ios::trunc) << t.bytes;
        std::ofstream(protocolTemplate, std::ios::binary | std::ios::trunc) << t.bytes;
        EXPECT_EQ(ExportArchive(3), -7);
        EXPECT_EQ(FormProtocol(), -107);
        EXPECT_EQ(Bytes(ArchivePath()), "the day's earlier export");
        EXPECT_EQ(Names(folder.path()),
                  (std::vector<std::string>{".desk Архив ЗКВ от 05_03_2024.xlsx." + alive + ".0", "desk",
                                            "desk Архив ЗКВ от 05_03_2024.xlsx"}));
        EXPECT_EQ(Names(ReportsFolder()), std::vector<std::string>{});
    }
    EXPECT_TRUE(opened.empty());
}

}  // namespace
