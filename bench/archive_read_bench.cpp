// archive_read_bench: how close a full archive reading comes to the line's own speed.
//
// The workstation's main window, with its real timers and event loop, reads the whole archive of a
// simulated instrument over a pseudo-terminal whose bytes move at the pace of a real serial line.
// Prints the elapsed time, the wire-time limit (every byte of both directions at the baud rate
// plus the instrument's turnarounds) and their ratio.
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/archive/frame_archive.h"
#include "app/window/form_main.h"
#include "bench/run_folder.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/os_services.h"
#include "platform/class_library/utf8_literal.h"
#include "sim/archive.h"
#include "sim/instrument.h"
#include "sim/paced_host.h"

namespace {

using Clock = std::chrono::steady_clock;

const QString kDoneText = U("Чтение архива закончено.");

// Every box is answered at once; once the reading runs, the first box ends it and the loop. What
// the window says at its first show about the empty project it starts with is no part of the run.
class BenchDialogs final : public platform::Dialogs {
  public:
    bool reading = false;
    std::vector<QString> shown;
    Clock::time_point finishedAt{};

    int messageDlg(const QString& text, platform::MsgDlgType, platform::MsgDlgButtons) override {
        record(text);
        return platform::mrOk;
    }
    int messageBox(QWidget*, const QString& text, const QString&, unsigned) override {
        record(text);
        return platform::IDCANCEL;
    }
    void showMessage(const QString& text) override { record(text); }
    bool inputQuery(const QString&, const QString&, QString&) override { return false; }
    std::optional<QString> openFile(const platform::FileDialogSpec&) override { return std::nullopt; }
    std::optional<QString> saveFile(const platform::FileDialogSpec&) override { return std::nullopt; }

  private:
    void record(const QString& text) {
        if (!reading) return;
        shown.push_back(text);
        if (finishedAt == Clock::time_point{}) finishedAt = Clock::now();
        // Leaves the loop without closing the window, which would ask whether to save.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    }
};

int Usage() {
    std::fprintf(stderr,
                 "usage: archive_read_bench [--baud N] [--turnaround-us T]\n"
                 "  Reads the 512-record archive of a simulated instrument whose line runs at N baud\n"
                 "  (default 9600, 10 bits a byte) and answers T microseconds after each request\n"
                 "  (default 2000), and prints the elapsed time against the wire-time limit.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    sim::LinePace pace;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 < argc && arg == "--baud")
            pace.baud = std::atoi(argv[++i]);
        else if (i + 1 < argc && arg == "--turnaround-us")
            pace.turnaroundUs = std::strtoull(argv[++i], nullptr, 10);
        else
            return Usage();
    }
    if (pace.baud <= 0) return Usage();

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::RunFolder folder;
    if (folder.path.empty()) {
        std::fprintf(stderr, "archive_read_bench: no temporary folder\n");
        return 1;
    }
    const std::string ports = folder.path + "/ports";
    setenv("ZKV_PORTS", ports.c_str(), 1);
    // The window's settings file would be looked up next to it: keep it in the run's folder.
    platform::SetExecutablePathOverride(QString::fromStdString(folder.path + "/zkvdesk"));
    platform::SetElevatedOverride(true);
    BenchDialogs dialogs;
    platform::SetDialogs(&dialogs);

    sim::Instrument instrument(1);
    sim::FillArchiveWithMeasurements(instrument);
    sim::PacedPtyHost host(instrument, pace);
    if (!host.publish(ports, 1)) {
        std::fprintf(stderr, "archive_read_bench: the simulated instrument could not be published\n");
        return 1;
    }

    // The simulated line runs on a thread of its own, as the instrument runs beside the workstation.
    std::atomic<bool> stop{false};
    std::thread line([&] {
        const Clock::time_point origin = Clock::now();
        while (!stop.load()) host.serveRealTime(origin, 20);
    });

    int rows = 0;
    Clock::time_point startedAt;
    {
        TFormMain window;
        window.show();
        TFrameArchiv* page = window.FrameArchiv1;
        QTimer::singleShot(0, &window, [&] {
            dialogs.reading = true;
            startedAt = Clock::now();
            page->ReadArchive->click();
        });
        app.exec();
        rows = page->ListViewArchiv1->topLevelItemCount();
    }
    stop = true;
    line.join();
    platform::SetDialogs(nullptr);

    if (dialogs.shown.size() != 1 || dialogs.shown.front() != kDoneText ||
        rows != sim::Instrument::kArchiveRecords) {
        std::fprintf(stderr, "archive_read_bench: the reading did not finish (%d rows)\n", rows);
        for (const QString& text : dialogs.shown)
            std::fprintf(stderr, "  shown: %s\n", text.toUtf8().constData());
        return 1;
    }
    const double elapsedS = std::chrono::duration<double>(dialogs.finishedAt - startedAt).count();
    const double limitS = host.wireTimeUs() / 1e6;
    std::printf("archive reading: %d records, %llu requests, %d baud, turnaround %llu us\n", rows,
                static_cast<unsigned long long>(host.answers()), pace.baud,
                static_cast<unsigned long long>(pace.turnaroundUs));
    std::printf("bytes: %llu to the instrument, %llu from it\n",
                static_cast<unsigned long long>(host.bytesIn()),
                static_cast<unsigned long long>(host.bytesOut()));
    std::printf("elapsed %.3f s, wire-time limit %.3f s, ratio %.3f\n", elapsedS, limitS, elapsedS / limitS);
    return 0;
}
