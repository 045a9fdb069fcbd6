// archive_import_bench: how long the archive page takes to import a large archive file.
//
// Writes an archive file of N simulated records (40,000 by default, about 6 MB), imports it into
// the archive page shown in a window, lets the window paint, and prints the time of the import,
// of the painting after it, and the process's peak memory.
#include <sys/resource.h>

#include <QApplication>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/archive/frame_archive.h"
#include "bench/run_folder.h"
#include "tests/app/archive_file_bytes.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

int Usage() {
    std::fprintf(stderr,
                 "usage: archive_import_bench [records]\n"
                 "  Imports an archive file of that many simulated records (default 40000) into the\n"
                 "  archive page and prints how long the import and the painting after it took.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int records = 40000;
    if (argc > 2) return Usage();
    if (argc == 2) {
        records = std::atoi(argv[1]);
        if (records <= 0) return Usage();
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::RunFolder folder;
    if (folder.path.empty()) {
        std::fprintf(stderr, "archive_import_bench: no temporary folder\n");
        return 1;
    }
    const std::string path = folder.path + "/archive.zkv";
    std::string bytes;
    for (int n = 0; n < records; ++n)
        bytes += archive_testing::RecordAnswers(
            sim::MeasuredArchiveRecordBytes(n % sim::Instrument::kArchiveRecords));
    std::ofstream(path, std::ios::binary) << bytes;

    TFrameArchiv page;
    page.resize(1280, 800);
    page.show();
    QApplication::processEvents();

    const Clock::time_point importStart = Clock::now();
    const int imported = page.ImportArchiveFile(QString::fromStdString(path));
    const double importS = SecondsSince(importStart);
    const Clock::time_point paintStart = Clock::now();
    page.ListViewArchiv1->viewport()->repaint();
    QApplication::processEvents();
    const double paintS = SecondsSince(paintStart);

    if (imported != records || page.ListViewArchiv1->topLevelItemCount() != records) {
        std::fprintf(stderr, "archive_import_bench: %d of %d records imported\n", imported, records);
        return 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("archive import: %d records, %zu bytes\n", records, bytes.size());
    std::printf("import %.3f s, painting after it %.3f s, peak memory %ld MB\n", importS, paintS,
                usage.ru_maxrss / 1024);
    return 0;
}
