#include "app/results/report_binding.h"

#include <gtest/gtest.h>

#include <QString>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/model/current_row.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "platform/class_library/os_services.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/support/printers.h"
#include "tests/support/report_library_probe.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testing_support::HeldProbe;

// The binding with the executable in a folder of the test's own and a set-up whose channel 1 is
// used and has one recorded point.
class ReportBinding : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetExecutablePathOverride(QString::fromStdString(folder.file("zkvdesk")));
        SetChannelInt(setup.data(), 1, channel::Used, 1);
        SetChannelText(setup.data(), 1, channel::SensorName, U("УЛМ-41"));
        SetChannelText(setup.data(), 1, channel::SensorSerial, "S-1");
        SetChannelFloat(setup.data(), 1, channel::UnitsFactor, 1.0f);
        protocol[row::Written] = 1;
        WriteInt32(protocol.data(), MeasBlockOffset(1) + block::Included, 1);
        sources = {setup.data(), protocol.data(), kProtocolRows,
                   [](const QString& name) { return name + U(" — методика"); }};
    }
    void TearDown() override { platform::SetExecutablePathOverride(std::nullopt); }

    std::string beside() const { return folder.file("zkvsheet.so"); }
    std::string inSheetlib() const { return folder.file("sheetlib/zkvsheet.so"); }

    testing_support::TempFolder folder;
    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
    std::vector<std::uint8_t> setup = std::vector<std::uint8_t>(kSetupRecordSize, 0);
    std::vector<std::uint8_t> protocol = std::vector<std::uint8_t>(kProtocolRows * kCurrentRowSize, 0);
    ReportSources sources;
};

TEST_F(ReportBinding, TheLibraryBesideTheExecutableComesFirstThenTheOneInSheetlib) {
    const struct {
        bool besideToo;
        bool sheetlibToo;
        bool besideIsAFolder;
        int besideCalls;
        int sheetlibCalls;
    } cases[] = {
        {true, false, false, 1, 0},
        {false, true, false, 0, 1},
        {true, true, false, 1, 0},
        {false, true, true, 0, 1},
    };
    for (const auto& c : cases) {
        fs::remove_all(beside());
        fs::remove_all(folder.file("sheetlib"));
        std::optional<HeldProbe> first, second;
        if (c.besideToo) first.emplace(REPORT_PROBE_MODULE, beside());
        if (c.besideIsAFolder) fs::create_directories(beside());
        if (c.sheetlibToo) second.emplace(REPORT_PROBE_MODULE, inSheetlib());
        dialogs.shown.clear();
        EXPECT_EQ(MakeReport(0, sources), 0);
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_EQ(first ? first->reportCalls() : 0, c.besideCalls);
        EXPECT_EQ(second ? second->reportCalls() : 0, c.sheetlibCalls);
        for (auto* held : {&first, &second}) {
            if (!*held) continue;
            EXPECT_EQ((*held)->attaches() - 1, (*held)->detaches()) << "every load of the report is undone";
        }
    }
}

TEST_F(ReportBinding, EachFailureShowsItsMessageAndTheLibraryIsAlwaysUnloaded) {
    const QString failed = U("Ошибка при создании отчёта. Код ошибки:");
    const struct {
        const char* name;
        const char* library;  // nullptr: none placed
        bool refuseLoad;
        int reportResult;
        int result;
        std::vector<QString> messages;
        int detaches;  // by the report, whose own load comes after the test's
    } cases[] = {
        {"made", REPORT_PROBE_MODULE, false, 0, 0, {}, 1},
        {"no library", nullptr, false, 0, -1, {U("Библиотека не найдена!")}, 0},
        {"load refused", REPORT_PROBE_MODULE, true, 0, -1, {U("Библиотека не найдена!")}, 0},
        {"no export", NO_EXPORT_PROBE_MODULE, false, 0, 0, {U("FormReport() не найдена!")}, 1},
        {"excel missing", REPORT_PROBE_MODULE, false, -211, -211, {failed + "-211"}, 1},
        {"bad record", REPORT_PROBE_MODULE, false, -1, -1, {failed + "-1"}, 1},
        {"positive code", REPORT_PROBE_MODULE, false, 7, 7, {failed + "7"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(beside());
        std::optional<HeldProbe> held;
        if (c.library != nullptr) {
            held.emplace(c.library, beside());
            ASSERT_TRUE(held->loaded());
            held->refuseLoad(c.refuseLoad);
            held->answer(c.reportResult);
        }
        dialogs.shown.clear();
        EXPECT_EQ(MakeReport(1, sources), c.result);
        EXPECT_EQ(dialogs.texts(), c.messages);
        for (const auto& shown : dialogs.shown) {
            EXPECT_EQ(shown.kind, testing_support::ShownDialog::Kind::MessageDlg);
            EXPECT_EQ(shown.type, platform::MsgDlgType::Error);
            EXPECT_EQ(shown.buttons, platform::mbOK);
        }
        if (held) {
            EXPECT_EQ(held->attaches(), 2);
            EXPECT_EQ(held->detaches(), c.detaches);
        }
    }
}

TEST_F(ReportBinding, AFileThatIsNoLibraryIsReportedAsAMissingLibrary) {
    std::ofstream(beside()) << "not a library";
    EXPECT_EQ(MakeReport(0, sources), -1);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Библиотека не найдена!")});
}

TEST_F(ReportBinding, TheLibraryIsHandedTheRecordFilledForTheRequestedKind) {
    const HeldProbe held(REPORT_PROBE_MODULE, beside());
    ASSERT_TRUE(held.loaded());
    for (int mode : {0, 1}) {
        ASSERT_EQ(MakeReport(mode, sources), 0);
        platform::TAllTextToExcel expected;
        FillReportRecord(expected, mode, sources);
        const platform::TAllTextToExcel& handed = held.record();
        EXPECT_EQ(handed.Mode, mode);
        EXPECT_EQ(handed.StructSize, 97964);
        EXPECT_EQ(handed.Magic, 0xAA55);
        EXPECT_EQ(handed.Channel[0].PointCount, 1);
        EXPECT_STREQ(handed.Channel[0].SheetName, "S-1");
        EXPECT_EQ(std::memcmp(&handed, &expected, sizeof expected), 0) << "mode " << mode;
    }
    EXPECT_EQ(held.reportCalls(), 2);
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
