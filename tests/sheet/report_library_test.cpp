#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <regex>
#include <string>

#include "platform/automation/library_loader.h"
#include "sheet/cell_maps.h"
#include "sheet/diagnostics.h"
#include "sheet/report_check.h"
#include "sheet/zkvsheet.h"
#include "tests/sheet/automation_fixture.h"

namespace {

using namespace platform;
using namespace sheet;
using testing_support::DiagnosticWindow;
using testing_support::Lines;

const std::string kSizeTrace = " sizeof(struct TTextToExcel_Check)=  97964 ";

std::unique_ptr<TAllTextToExcel> WholeRecord(std::int32_t mode) {
    auto record = std::make_unique<TAllTextToExcel>();
    std::memset(record.get(), 0, sizeof(TAllTextToExcel));
    record->Mode = mode;
    record->StructSize = kReportRecordSize;
    record->Magic = kRecordMagic;
    return record;
}

class ReportChecks : public testing_support::AutomationTest {
  protected:
    void TearDown() override {
        ForgetDebugListBox();
        AutomationTest::TearDown();
    }
};

TEST_F(ReportChecks, RecordAndMapAreCheckedInTheirOrder) {
    PosPov shortMap = kVerificationMap;
    shortMap.StructSize = 255;
    PosPov foreignMap = kCalibrationMap;
    foreignMap.Magic = 0x55AA;
    auto whole = WholeRecord(0);
    auto shortRecord = WholeRecord(0);
    shortRecord->StructSize = 97963;
    auto foreign = WholeRecord(1);
    foreign->Magic = 0x55AA;

    const struct {
        const char* name;
        const TAllTextToExcel* record;
        const PosPov* map;
        int expected;
        Lines debugLines;
        Lines listBox;  // only the traces reach it
    } cases[] = {
        {"whole", whole.get(), &kVerificationMap, 0, {kSizeTrace}, {kSizeTrace}},
        {"short record",
         shortRecord.get(),
         &kVerificationMap,
         -1,
         {kSizeTrace, "ERROR! Size Struct TAllTextToExcel is wrong!!"},
         {kSizeTrace}},
        {"foreign record",
         foreign.get(),
         &kCalibrationMap,
         -1,
         {kSizeTrace, "ERROR! Struct TAllTextToExcel is corrupt (0xAA55)!!"},
         {kSizeTrace}},
        {"short map",
         whole.get(),
         &shortMap,
         -1,
         {" ERROR! Struct PosPov is corrupt!! "},
         {" ERROR! Struct PosPov is corrupt!! "}},
        {"foreign map",
         whole.get(),
         &foreignMap,
         -1,
         {" ERROR! Struct PosPov is corrupt!! "},
         {" ERROR! Struct PosPov is corrupt!! "}},
    };
    for (const auto& c : cases) {
        DiagnosticWindow window;
        debug.lines.clear();
        EXPECT_EQ(CheckReportData(*c.record, *c.map), c.expected) << c.name;
        EXPECT_EQ(debug.lines, c.debugLines) << c.name;
        EXPECT_EQ(window.lines, c.listBox) << c.name;
        EXPECT_EQ(window.selected, static_cast<long>(window.lines.size()) - 1) << c.name;
    }
    EXPECT_EQ(world.created(), 0);
}

TEST_F(ReportChecks, FormReportRefusesBeforeStartingAnything) {
    EXPECT_EQ(FormReport(nullptr), -1);
    auto record = WholeRecord(0);
    record->StructSize = 97963;
    EXPECT_EQ(FormReport(record.get()), -1);
    record = WholeRecord(1);
    record->Magic = 0x55AA;
    EXPECT_EQ(FormReport(record.get()), -1);
    EXPECT_EQ(world.created(), 0);
    EXPECT_TRUE(world.calls().empty());

    // Any nonzero mode passes the check with the calibration map and is refused by the protocol.
    debug.lines.clear();
    record = WholeRecord(2);
    EXPECT_EQ(FormReport(record.get()), -102);
    EXPECT_EQ(debug.lines.front(), kSizeTrace);
}

TEST_F(ReportChecks, TracesFindTheDiagnosticWindowOnceItExists) {
    TraceStr("first");
    EXPECT_EQ(debug.lines, Lines{" first "});
    {
        DiagnosticWindow window;
        TraceInt("count", -7);
        DebugOut("only to the debugger");
        TraceStr("second");
        EXPECT_EQ(window.lines, (Lines{" count  -7 ", " second "}));
        EXPECT_EQ(window.selected, 1);
    }
    // The window has gone: the kept handle is not used, and a new window is found.
    TraceStr("nobody listens");
    DiagnosticWindow later;
    TraceStr("third");
    EXPECT_EQ(later.lines, Lines{" third "});
    EXPECT_EQ(debug.lines, (Lines{" first ", " count  -7 ", "only to the debugger", " second ",
                                  " nobody listens ", " third "}));
}

TEST(Version, StampNeedsRoomForItselfAndTwoBytes) {
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetVersionDll(buffer, 29), -1);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(GetVersionDll(nullptr, 64), -1);
    EXPECT_EQ(GetVersionDll(buffer, 30), 0);
    const std::string stamp(buffer);
    EXPECT_EQ(stamp.size(), 28u);
    EXPECT_TRUE(std::regex_match(
        stamp, std::regex(R"(Build: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4}  [0-2][0-9]:[0-5][0-9]:[0-5][0-9])")))
        << stamp;
    EXPECT_EQ(buffer[29], '#');
}

// The built module, loaded as the workstation loads it.
class LoadedModule : public ::testing::Test {
  protected:
    void TearDown() override { ForceOleInitializeFailure(S_OK); }
    testing_support::DebugLines debug;
};

TEST_F(LoadedModule, LoadsWithOleAndAnswersThroughItsExports) {
    ASSERT_FALSE(OleInitializedOnThisThread());
    HMODULE library = LoadLibraryA(ZKVSHEET_MODULE);
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(OleInitializedOnThisThread());

    auto version = reinterpret_cast<GetVersionDllFunction>(GetProcAddress(library, "GetVersionDll"));
    auto form = reinterpret_cast<FormReportFunction>(GetProcAddress(library, "FormReport"));
    auto archive = reinterpret_cast<Archive2excellFunction>(GetProcAddress(library, "Archive2excell"));
    ASSERT_TRUE(version && form && archive);
    EXPECT_EQ(GetProcAddress(library, "CheckReportData"), nullptr);  // nothing else is exported

    char stamp[30];
    EXPECT_EQ(version(stamp, sizeof stamp), 0);
    EXPECT_EQ(std::string(stamp).rfind("Build: ", 0), 0u);

    // The module's traces reach this process's diagnostic window and debug sink.
    DiagnosticWindow window;
    auto record = WholeRecord(0);
    record->StructSize = 1;
    EXPECT_EQ(form(record.get()), -1);
    EXPECT_EQ(window.lines, Lines{kSizeTrace});
    EXPECT_EQ(debug.lines, (Lines{kSizeTrace, "ERROR! Size Struct TAllTextToExcel is wrong!!"}));

    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_FALSE(OleInitializedOnThisThread());
}

TEST_F(LoadedModule, LoadIsRefusedWhenOleCannotStart) {
    ForceOleInitializeFailure(E_OUTOFMEMORY);
    EXPECT_EQ(LoadLibraryA(ZKVSHEET_MODULE), nullptr);
    EXPECT_EQ(debug.lines, Lines{"olegrid.dll error! \n OLE библиотека недоступна!"});
    EXPECT_FALSE(OleInitializedOnThisThread());

    ForceOleInitializeFailure(S_OK);
    HMODULE library = LoadLibraryA(ZKVSHEET_MODULE);
    EXPECT_NE(library, nullptr);
    EXPECT_TRUE(FreeLibrary(library));
}

}  // namespace
