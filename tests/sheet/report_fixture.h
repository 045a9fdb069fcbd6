#pragma once

// What the protocol and archive tests share: the recording application of AutomationTest, an
// executable folder of the test's own with the installed templates and a "reports" folder, a
// fixed wall clock and time zone, the message boxes the library shows, and the cells a run
// wrote, read back from the recorded calls.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/clock.h"
#include "platform/system/message_box.h"
#include "sheet/report_record.h"
#include "tests/sheet/automation_fixture.h"
#include "tests/support/temp_folder.h"

namespace testing_support {

struct ShownBox {
    std::string text;
    std::string caption;
    unsigned flags;
    friend bool operator==(const ShownBox&, const ShownBox&) = default;
};

// A text written into a cell: the worksheet's label in the recording ("Item(i4:2)"), row, column.
struct WrittenCell {
    std::string sheet;
    int row;
    int column;
    std::string text;  // UTF-8
    friend bool operator==(const WrittenCell&, const WrittenCell&) = default;
    friend bool operator<(const WrittenCell& a, const WrittenCell& b) {
        return std::tie(a.sheet, a.row, a.column, a.text) < std::tie(b.sheet, b.row, b.column, b.text);
    }
};
void PrintTo(const WrittenCell& cell, std::ostream* out);
void PrintTo(const ShownBox& box, std::ostream* out);

// Every Cells(row, column) get followed by its Value put, in call order.
std::vector<WrittenCell> WrittenCells(const RecordingWorld& world);
// How many recorded calls have this line ("Item(i4:1) put Visible(bool:0)").
int CountLines(const RecordingWorld& world, const std::string& line);
// How many recorded calls are of this member.
int CountMember(const RecordingWorld& world, const std::string& member);

// A report record of the mode with every slot empty, as the workstation starts one.
std::unique_ptr<sheet::TAllTextToExcel> EmptyRecord(std::int32_t mode);

// The wall clock's reading at this universal (UTC) date and time.
std::chrono::system_clock::time_point UtcAt(int year, int month, int day, int hour, int minute, int second);

class ReportTest : public AutomationTest {
  public:
    using AutomationTest::world;

    void SetUp() override;
    void TearDown() override;

    // The templates beside the executable, as installed by the build.
    std::string TemplatePath(const std::string& title) const;
    std::string ReportsFolder() const { return exeFolder + "/reports"; }
    // Sets the time zone (TZ text) for the test.
    void SetTimeZone(const char* zone);
    // Every reading of the wall clock gives the next of these, the last one from then on.
    void SetClockReadings(std::vector<std::chrono::system_clock::time_point> readings);
    // Makes "Excel.Application" unknown, as on a machine without the application.
    void UninstallApplication();

    TempFolder folder;
    std::string exeFolder;  // a folder "desk" in the temporary folder
    std::vector<ShownBox> boxes;

  private:
    platform::MessageBoxHandler previousBoxes_;
    platform::WallClock previousClock_;
    std::vector<std::chrono::system_clock::time_point> readings_;
    std::size_t nextReading_ = 0;
    std::string previousZone_;
    bool hadZone_ = false;
};

}  // namespace testing_support
