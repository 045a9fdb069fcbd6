#include "tests/sheet/report_fixture.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <ostream>
#include <regex>

#include "sheet/protocol_report.h"
#include "sheet/report_paths.h"

namespace testing_support {

void PrintTo(const WrittenCell& cell, std::ostream* out) {
    *out << cell.sheet << " R" << cell.row << "C" << cell.column << " \"" << cell.text << "\"";
}

void PrintTo(const ShownBox& box, std::ostream* out) {
    *out << "[" << box.caption << "] \"" << box.text << "\" flags " << box.flags;
}

std::vector<WrittenCell> WrittenCells(const RecordingWorld& world) {
    static const std::regex cells(R"(Cells\(int:(-?\d+), int:(-?\d+)\))");
    static const std::regex value(R"re(Value\("(.*)"\))re");
    std::vector<WrittenCell> written;
    std::string sheet;
    int row = 0, column = 0;
    for (const RecordedCall& call : world.calls()) {
        const std::string line = call.Line();
        std::smatch found;
        if (call.member == "Cells" && call.kind == platform::DISPATCH_PROPERTYGET) {
            if (std::regex_search(line, found, cells)) {
                sheet = call.receiver;
                row = std::stoi(found[1]);
                column = std::stoi(found[2]);
            }
        } else if (call.member == "Value" && call.kind == platform::DISPATCH_PROPERTYPUT &&
                   std::regex_search(line, found, value)) {
            written.push_back({sheet, row, column, found[1]});
        }
    }
    return written;
}

int CountLines(const RecordingWorld& world, const std::string& line) {
    int count = 0;
    for (const RecordedCall& call : world.calls()) count += call.Line() == line;
    return count;
}

int CountMember(const RecordingWorld& world, const std::string& member) {
    int count = 0;
    for (const RecordedCall& call : world.calls()) count += call.member == member;
    return count;
}

std::unique_ptr<sheet::TAllTextToExcel> EmptyRecord(std::int32_t mode) {
    auto record = std::make_unique<sheet::TAllTextToExcel>();
    std::memset(record.get(), 0, sizeof(sheet::TAllTextToExcel));
    record->Mode = mode;
    record->StructSize = sheet::kReportRecordSize;
    record->Magic = sheet::kRecordMagic;
    return record;
}

std::chrono::system_clock::time_point UtcAt(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return std::chrono::system_clock::from_time_t(::timegm(&time));
}

void ReportTest::SetUp() {
    AutomationTest::SetUp();
    if (const char* zone = std::getenv("TZ")) {
        previousZone_ = zone;
        hadZone_ = true;
    }
    SetTimeZone("UTC");
    exeFolder = folder.file("desk");
    std::filesystem::create_directories(exeFolder + "/xls_template");
    std::filesystem::create_directories(ReportsFolder());
    for (const char* title : {"Протокол поверки ДД", "Протокол калибровки ДД", "Архив ЗКВ"}) {
        std::filesystem::copy_file(std::string(ZKV_TEMPLATE_DIR) + "/" + title + ".xlsx",
                                   TemplatePath(title));
    }
    sheet::SetExeFolderOverride(exeFolder);
    previousBoxes_ = platform::SetMessageBoxHandler(
        [this](std::string_view text, std::string_view caption, unsigned flags) {
            boxes.push_back({std::string(text), std::string(caption), flags});
            return platform::IDOK;
        });
    SetClockReadings({UtcAt(2024, 3, 5, 9, 7, 3)});
    previousClock_ = platform::SetWallClock([this] {
        const auto reading = readings_[std::min(nextReading_, readings_.size() - 1)];
        ++nextReading_;
        return reading;
    });
}

void ReportTest::TearDown() {
    // A protocol keeps its application until the next one or the unload; give it back here so
    // that the recording world can tell whether anything else was kept.
    sheet::ReleaseReportContext();
    platform::SetWallClock(previousClock_);
    platform::SetMessageBoxHandler(previousBoxes_);
    sheet::SetExeFolderOverride(std::nullopt);
    if (hadZone_)
        setenv("TZ", previousZone_.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    AutomationTest::TearDown();
}

std::string ReportTest::TemplatePath(const std::string& title) const {
    return exeFolder + "/xls_template/" + title + ".xlsx";
}

void ReportTest::SetTimeZone(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
}

void ReportTest::SetClockReadings(std::vector<std::chrono::system_clock::time_point> readings) {
    readings_ = std::move(readings);
    nextReading_ = 0;
}

void ReportTest::UninstallApplication() { platform::RegisterServer(u"Excel.Application", {}); }

}  // namespace testing_support
