// Protocols and archives made in the spreadsheet application itself when their workbook cannot be
// written, when the template is broken, and after an export that died: an earlier output stays as
// it was, no file stands under a protocol's name that was not made, and no temporary file is left.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/list_view_handle.h"
#include "platform/spreadsheet_app.h"
#include "sheet/zkvsheet.h"
#include "tests/sheet/report_fixture.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/other_process.h"

namespace {

using namespace platform;
using namespace sheet;
using testing_support::ReportTest;

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

class Table : public ListViewSource {
  public:
    explicit Table(int items) : items_(items) {}
    int ItemCount() const override { return items_; }
    int ColumnCount() const override { return 17; }
    std::string CellText(int item, int column) const override {
        return "r" + std::to_string(item) + "c" + std::to_string(column) + " of a long enough text";
    }

  private:
    int items_;
};

// The spreadsheet application installed with the platform, on a desktop that only notes what it
// was given.
class WorkbookSave : public ReportTest {
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

    std::string ArchivePath() const { return folder.file("desk Архив ЗКВ от 05_03_2024.xlsx"); }
    int ExportArchive(int items) {
        Table table(items);
        ListViewHandle handle(table);
        return Archive2excell(handle.Handle());
    }
    int FormProtocol() {
        auto record = testing_support::EmptyRecord(0);
        for (ChannelReportBlock& block : record->Channel) {
            block.Present = 1;
            block.PointCount = 40;
            for (auto& point : block.PointText) {
                for (auto& text : point.Text) std::snprintf(text, kSlotSize, "%s", "0123456789 0123456789 0123456789");
            }
        }
        return FormReport(record.get());
    }

    std::vector<std::string> opened;

  private:
    SpreadsheetDesktop previousDesktop_;
};

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
