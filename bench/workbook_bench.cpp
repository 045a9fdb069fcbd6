// Times the report library's workbooks in the spreadsheet application, from the call to the file
// written: an archive workbook of an archive table of 17 columns and a protocol of four channels with
// 40 points each; then openpyxl making the same workbooks on the same templates, for the ratio.
// Usage: zkvbench [runs [rows]]   (5 runs and 512 archive rows by default; the best and the median
// are printed)

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/automation.h"
#include "platform/automation/list_view_handle.h"
#include "platform/spreadsheet/spreadsheet_app.h"
#include "sheet/protocol_report.h"
#include "sheet/report_paths.h"
#include "sheet/zkvsheet.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPoints = 40;

// The instrument's archive as the archive page shows it: 17 columns a row.
class ArchiveTable : public platform::ListViewSource {
  public:
    explicit ArchiveTable(int rows) {
        char text[64];
        for (int i = 0; i < rows; ++i) {
            std::vector<std::string> row;
            row.push_back(std::to_string(i + 1));
            std::snprintf(text, sizeof text, "%d/%d/2024  %d:%d:%d", 1 + i % 28, 1 + i % 12, i % 24, i % 60,
                          i % 60);
            row.push_back(text);
            row.push_back("21.5000");
            row.push_back("\xEA\xCF\xE0");  // "кПа" in code page 1251
            for (int k = 0; k < 13; ++k) {
                std::snprintf(text, sizeof text, "%.4f", i * 0.25 + k);
                row.push_back(text);
            }
            rows_.push_back(std::move(row));
        }
    }
    int ItemCount() const override { return static_cast<int>(rows_.size()); }
    int ColumnCount() const override { return 17; }
    std::string CellText(int item, int column) const override { return rows_[item][column]; }

  private:
    std::vector<std::vector<std::string>> rows_;
};

std::unique_ptr<sheet::TAllTextToExcel> ProtocolRecord() {
    auto record = std::make_unique<sheet::TAllTextToExcel>();
    std::memset(record.get(), 0, sizeof(sheet::TAllTextToExcel));
    record->Mode = 0;
    record->StructSize = sheet::kReportRecordSize;
    record->Magic = sheet::kRecordMagic;
    for (int c = 0; c < sheet::kChannels; ++c) {
        sheet::ChannelReportBlock& block = record->Channel[c];
        block.Present = 1;
        block.PointCount = kPoints;
        for (int k = 0; k < sheet::kHeaderTexts; ++k)
            std::snprintf(block.HeaderText[k], sheet::kSlotSize, "header %d", k);
        for (int p = 0; p < kPoints; ++p) {
            for (int k = 0; k < sheet::kPointTexts; ++k)
                std::snprintf(block.PointText[p].Text[k], sheet::kSlotSize, "%.4f", p * 2.5 + k);
        }
        std::snprintf(block.FooterText[0], sheet::kSlotSize, "verdict of channel %d", c + 1);
        std::snprintf(block.FooterText[2], sheet::kSlotSize, "2024.03.05");
        std::snprintf(block.FooterText[3], sheet::kSlotSize, "verifier");
        std::snprintf(block.SheetName, sheet::kSlotSize, "%07d", 1000 + c);
    }
    return record;
}

struct Figures {
    double best;
    double median;
};

template <typename Run>
Figures Time(int runs, Run run) {
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        if (const int result = run(); result != 0) {
            std::fprintf(stderr, "the workbook failed with %d\n", result);
            std::exit(1);
        }
        seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return {seconds.front(), seconds[seconds.size() / 2]};
}

struct OpenpyxlFigures {
    bool made = false;
    Figures archive{};
    Figures protocol{};
};

// The openpyxl side of the comparison, run by the bench script; nothing when it cannot run.
OpenpyxlFigures TimeOpenpyxl(const fs::path& templates, int rows, int runs) {
    OpenpyxlFigures figures;
    const std::string command = std::string("'") + ZKV_PYTHON3 + "' '" + ZKV_OPENPYXL_BENCH + "' '" +
                                templates.string() + "' " + std::to_string(rows) + " " + std::to_string(runs);
    FILE* out = ::popen(command.c_str(), "r");
    if (out == nullptr) return figures;
    char line[256];
    int found = 0;
    while (std::fgets(line, sizeof line, out) != nullptr) {
        char what[16];
        Figures read{};
        if (std::sscanf(line, "%15s %lf %lf", what, &read.best, &read.median) != 3) continue;
        if (std::strcmp(what, "archive") == 0) {
            figures.archive = read;
            found |= 1;
        } else if (std::strcmp(what, "protocol") == 0) {
            figures.protocol = read;
            found |= 2;
        }
    }
    const int status = ::pclose(out);
    figures.made = found == 3 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return figures;
}

void PrintRatio(const char* what, const Figures& ours, const Figures& theirs) {
    std::printf("  %-9s openpyxl best %.3f s, median %.3f s; ours / openpyxl: %.2f (best), %.2f (median)\n",
                what, theirs.best, theirs.median, ours.best / theirs.best, ours.median / theirs.median);
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int rows = argc > 2 ? std::max(0, std::atoi(argv[2])) : 512;

    // A folder of its own stands in for the executable's: the templates, "reports", and the
    // archive workbook beside it.
    std::string pattern = (fs::temp_directory_path() / "zkvbench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path root = pattern;
    const fs::path desk = root / "desk";
    fs::create_directories(desk / "reports");
    fs::copy(ZKV_TEMPLATE_DIR, desk / "xls_template", fs::copy_options::recursive);
    sheet::SetExeFolderOverride(desk.string());
    platform::SetSpreadsheetDesktop({[] { return false; }, {}});
    platform::OleInitialize(nullptr);

    ArchiveTable table(rows);
    platform::ListViewHandle handle(table);
    const Figures archive = Time(runs, [&] { return Archive2excell(handle.Handle()); });

    const auto record = ProtocolRecord();
    const Figures protocol = Time(runs, [&] {
        const int result = FormReport(record.get());
        sheet::ReleaseReportContext();
        return result;
    });

    std::printf("archive workbook, %d rows of 17 columns:   best %.3f s, median %.3f s (%d runs)\n", rows,
                archive.best, archive.median, runs);
    std::printf("protocol workbook, 4 channels of %d points: best %.3f s, median %.3f s (%d runs)\n", kPoints,
                protocol.best, protocol.median, runs);

    const OpenpyxlFigures openpyxl = TimeOpenpyxl(desk / "xls_template", rows, runs);
    if (openpyxl.made) {
        std::printf("the same workbooks made by openpyxl on the same templates:\n");
        PrintRatio("archive", archive, openpyxl.archive);
        PrintRatio("protocol", protocol, openpyxl.protocol);
    } else {
        std::printf("openpyxl could not be run (%s with python3-openpyxl): no comparison\n", ZKV_PYTHON3);
    }

    platform::OleUninitialize();
    fs::remove_all(root);
    return 0;
}
