// The export hands the archive table to the report library, which reads it through the table's
// list-view handle during the call.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTreeWidget>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/archive/frame_archive.h"
#include "platform/automation/automation.h"
#include "platform/automation/library_loader.h"
#include "platform/class_library/cp1251.h"
#include "platform/class_library/utf8_literal.h"
#include "sim/archive.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"
#include "tests/support/report_library_probe.h"
#include "tests/support/scripted_dialogs.h"

namespace {

using testing_support::HeldProbe;
using Table = HeldProbe::Table;

class ArchiveExport : public ::testing::Test, testing_support::WithApplication {
  protected:
    ArchiveExport() : page(std::make_unique<TFrameArchiv>()), table(page->ListViewArchiv1) {}

    void AddRecord(const sim::ArchiveRecordBytes& bytes) {
        TArchiveRecord record;
        std::memcpy(&record, bytes.data(), sizeof record);
        page->AddArchiveRow(table, record);
    }

    std::unique_ptr<TFrameArchiv> page;
    QTreeWidget* table;
    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
};

TEST_F(ArchiveExport, TheLibraryReadsEveryCellInCodePage1251ThroughTheTablesHandle) {
    AddRecord(sim::MeasuredArchiveRecordBytes(1));  // units 6: кПа
    AddRecord(sim::BlankArchiveRecordBytes());
    sim::ArchiveRecordBytes failed = sim::MeasuredArchiveRecordBytes(2);
    failed[4] ^= 0x5A;
    AddRecord(failed);

    HeldProbe probe(REPORT_PROBE_MODULE);
    ASSERT_TRUE(probe.loaded());
    page->ReportLibrary = REPORT_PROBE_MODULE;
    page->ExcelArchive->click();

    EXPECT_TRUE(dialogs.shown.empty());
    const Table& read = probe.tableRead();
    ASSERT_EQ(read.size(), 3u);
    for (int row = 0; row < 3; ++row) {
        ASSERT_EQ(read[static_cast<std::size_t>(row)].size(), 17u) << row;
        for (int column = 0; column < 17; ++column)
            EXPECT_EQ(read[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)],
                      platform::ToCp1251(table->topLevelItem(row)->text(column)))
                << row << ", " << column;
    }
    EXPECT_EQ(read[0][3], "\xEA\xCF\xE0");  // кПа
    EXPECT_EQ(read[1][16], "------");
    EXPECT_EQ(read[2], std::vector<std::string>(
                           {"3", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", ""}));
    // The page loaded the library for the call and released it after.
    EXPECT_EQ(probe.attaches(), 2);
    EXPECT_EQ(probe.detaches(), 1);
}

TEST_F(ArchiveExport, EveryOutcomeIsToldAndTheLibraryIsReleased) {
    AddRecord(sim::MeasuredArchiveRecordBytes(1));
    const struct {
        const char* name;
        const char* library;
        int answer;
        const char* message;  // null: nothing said
    } cases[] = {
        {"done", REPORT_PROBE_MODULE, 0, nullptr},
        {"a failure code", REPORT_PROBE_MODULE, -3, "Ошибка при создании отчёта. Код ошибки:-3"},
        {"another failure code", REPORT_PROBE_MODULE, 7, "Ошибка при создании отчёта. Код ошибки:7"},
        {"no export", NO_EXPORT_PROBE_MODULE, 0, "Archive2excell() не найдена!"},
        // Looked up by its bare name beside the test program, where no report library lies.
        {"no library", "zkvsheet.so", 0, "Библиотека не найдена!"},
    };
    for (const auto& c : cases) {
        dialogs.shown.clear();
        HeldProbe probe(c.library);
        if (probe.loaded()) probe.answer(c.answer);
        page->ReportLibrary = c.library;
        page->ExcelArchiveClick();
        if (c.message) {
            ASSERT_EQ(dialogs.shown.size(), 1u) << c.name;
            EXPECT_EQ(dialogs.shown[0].text, U(c.message)) << c.name;
            EXPECT_EQ(dialogs.shown[0].type, platform::MsgDlgType::Error) << c.name;
            EXPECT_EQ(dialogs.shown[0].buttons, platform::mbOK) << c.name;
        } else {
            EXPECT_TRUE(dialogs.shown.empty()) << c.name;
        }
        if (probe.loaded()) {
            EXPECT_EQ(probe.attaches(), 2) << c.name;
            EXPECT_EQ(probe.detaches(), 1) << c.name;
        }
    }
}

TEST_F(ArchiveExport, TheBuiltReportLibraryIsCalledAndReleased) {
    AddRecord(sim::MeasuredArchiveRecordBytes(1));
    ASSERT_FALSE(platform::OleInitializedOnThisThread());
    page->ReportLibrary = ZKVSHEET_MODULE;
    page->ExcelArchiveClick();
    // No archive template lies beside the test program: the library says so and answers -3.
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].kind, testing_support::ShownDialog::Kind::MessageBox);
    EXPECT_TRUE(dialogs.shown[0].text.startsWith(U("Недоступен файл шаблона \n ")))
        << dialogs.shown[0].text.toStdString();
    EXPECT_EQ(dialogs.shown[1].text, U("Ошибка при создании отчёта. Код ошибки:-3"));
    // Its unload callback ran: the OLE it started on loading is gone.
    EXPECT_FALSE(platform::OleInitializedOnThisThread());
}

}  // namespace
