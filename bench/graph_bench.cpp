// graph_bench: what one sample tick and one repaint of the measurement graph cost as the samples
// accumulate.
//
// The measurement page's own graph frame, offscreen, with every channel on the graph, takes samples
// as its sampling timer does (the timer's handler is called, not waited for). At 15 minutes, 1 hour
// and 10 hours of samples it times the tick alone, the tick with the events it causes (the chart's
// layout and the repaint of the view), a repaint of the view, and a repaint after the graph type was
// switched away and back, which draws the whole history anew.
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/controls/frame_graph.h"
#include "app/controls/graph_series.h"
#include "app/measurement/frame_meas.h"
#include "app/model/current_row.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "link/exchange_state.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Readings that wander and jitter as a pressure being set does, so that no column of the plot is flat.
class Readings {
  public:
    explicit Readings(std::uint8_t* row) : row_(row) {}
    void Next() {
        const double t = static_cast<double>(n_++);
        for (int k = 0; k <= 4; ++k) {
            const double base = 100.0 + 50.0 * std::sin(t / 600.0 + k);
            WriteFloat32(row_, MeasBlockOffset(k) + block::Pressure, static_cast<float>(base + Jitter()));
            WriteFloat32(row_, MeasBlockOffset(k) + block::Current,
                         static_cast<float>(12.0 + 8.0 * std::sin(t / 900.0) + Jitter() / 10.0));
            WriteFloat32(row_, MeasBlockOffset(k) + block::Error, static_cast<float>(Jitter() / 100.0));
        }
    }

  private:
    double Jitter() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 40) / static_cast<double>(1ULL << 24) - 0.5;
    }
    std::uint8_t* row_;
    long long n_ = 0;
    std::uint64_t state_ = 1;
};

struct Figures {
    double tick = 0;
    double tickWithEvents = 0;
    double repaint = 0;
    double fullRepaint = 0;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int ticks = 200;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--ticks") == 0) ticks = std::max(1, std::atoi(argv[i + 1]));
    }
    QApplication app(argc, argv);

    std::vector<std::uint8_t> setup(kSetupRecordSize, 0);
    std::vector<std::uint8_t> row(kCurrentRowSize, 0);
    for (int c = 1; c <= 4; ++c) SetChannelFloat(setup.data(), c, channel::UnitsFactor, 1.0f);
    WorkState = WorkMeasurement;
    TFrameMeas page;
    page.SetRecords(setup.data(), row.data());
    page.resize(1280, 800);
    page.show();
    QCoreApplication::processEvents();
    TFrameGraph* graph = page.FrameGraph1;
    QWidget* view = graph->gr->viewport();
    Readings readings(row.data());

    std::printf("graph_bench: %d timed ticks a level, plot %d x %d pixels, every channel shown\n", ticks,
                view->width(), view->height());
    std::printf("%-16s %10s %16s %12s %16s\n", "samples", "tick ms", "tick+events ms", "repaint ms",
                "full repaint ms");
    const struct {
        int samples;
        const char* name;
    } levels[] = {{900, "15 min"}, {3600, "1 h"}, {36000, "10 h"}};
    std::vector<Figures> results;
    for (const auto& level : levels) {
        // Up to the level the ticks come as fast as they can, with a repaint now and then.
        while (graph->Series[0]->Count() < level.samples - ticks) {
            readings.Next();
            graph->Timer1Timer();
            if (graph->Series[0]->Count() % 600 == 0) QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
        std::vector<double> tick, tickWithEvents, repaint;
        while (graph->Series[0]->Count() < level.samples) {
            readings.Next();
            const auto start = Clock::now();
            graph->Timer1Timer();
            const auto ticked = Clock::now();
            QCoreApplication::processEvents();
            const auto settled = Clock::now();
            view->repaint();
            const auto painted = Clock::now();
            tick.push_back(Milliseconds(ticked - start));
            tickWithEvents.push_back(Milliseconds(settled - start));
            repaint.push_back(Milliseconds(painted - settled));
        }
        std::vector<double> full;
        for (int i = 0; i < 5; ++i) {
            page.cbTypeGraph->setCurrentIndex(1);
            page.cbTypeGraphChange();
            QCoreApplication::processEvents();
            page.cbTypeGraph->setCurrentIndex(0);
            page.cbTypeGraphChange();
            const auto start = Clock::now();
            view->repaint();
            full.push_back(Milliseconds(Clock::now() - start));
        }
        const Figures f{Median(tick), Median(tickWithEvents), Median(repaint), Median(full)};
        results.push_back(f);
        const std::string label = std::to_string(level.samples) + " (" + level.name + ")";
        std::printf("%-16s %10.3f %16.3f %12.3f %16.3f\n", label.c_str(), f.tick, f.tickWithEvents, f.repaint,
                    f.fullRepaint);
    }
    std::printf("tick 1 h / 15 min: %.2f   tick+events 1 h / 15 min: %.2f   (medians)\n",
                results[1].tick / results[0].tick, results[1].tickWithEvents / results[0].tickWithEvents);
    WorkState = WorkIdle;
    return 0;
}
