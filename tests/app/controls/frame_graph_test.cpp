#include <gtest/gtest.h>

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QPalette>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/controls/frame_graph.h"
#include "app/controls/graph_scale.h"
#include "app/controls/graph_plot.h"
#include "app/controls/graph_series.h"
#include "app/controls/graph_thinning.h"
#include "app/measurement/frame_meas.h"
#include "link/exchange_state.h"
#include "platform/class_library/components.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// ---- the arithmetic ------------------------------------------------------------------------

TEST(GraphLabels, CountMinutesAndHundredthsAtASampleASecond) {
    const struct {
        int n;
        const char* label;
    } cases[] = {{0, "0.00"}, {1, "0.01"}, {59, "0.98"}, {60, "1.00"}, {90, "1.50"}, {3600, "60.00"}, {3659, "60.98"}};
    for (const auto& c : cases) EXPECT_EQ(PointLabelText(c.n), U(c.label)) << c.n;
}

TEST(GraphLabels, BottomAxisLabelsOnlyPointsInsideTheRangeAtAWholeStep) {
    const struct {
        double minimum, maximum;
        int count;
        std::vector<int> points;
    } cases[] = {
        {0, 4, 5, {0, 1, 2, 3, 4}},
        {0, 99, 100, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {-10, 89, 50, {0, 5, 10, 15, 20, 25, 30, 35, 40, 45}},  // no labels left of the first point or past the last
        {10.5, 12.5, 100, {11, 12}},
        {-1, 1, 1, {0}},
        {0, 0, 0, {}},
        {5, 3, 10, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LabelledPoints(c.minimum, c.maximum, c.count, 10), c.points) << c.minimum << ".." << c.maximum;
    }
    const std::vector<int> long_run = LabelledPoints(0, 35999, 36000, 10);
    ASSERT_FALSE(long_run.empty());
    EXPECT_LE(long_run.size(), 10u);
    EXPECT_EQ(long_run.front(), 0);
}

TEST(GraphGaps, NonFiniteAndHugeValuesAreGaps) {
    const struct {
        double value;
        bool gap;
    } cases[] = {
        {0.0, false},      {-5.0, false},   {8.99e25, false}, {-8.99e25, false},
        {9e25, true},      {-9e25, true},   {1e30, true},     {std::numeric_limits<double>::quiet_NaN(), true},
        {kInf, true},      {-kInf, true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsGapValue(c.value), c.gap) << c.value;
}

TEST(GraphScale, StepsMoveTheMaximumFromTheMovedMinimum) {
    const struct {
        double minShare, maxShare;
        AxisScale from;
        double minimum, maximum;
    } cases[] = {
        {-0.1, -0.1, {true, 0, 100}, -10, 89},
        {0.1, 0.1, {true, 0, 100}, 10, 109},
        {0.1, -0.1, {false, 0, 100}, 10, 91},
        {-0.1, 0.1, {false, 0, 100}, -10, 111},
        {0.1, -0.1, {true, 5, 5}, 5, 5},  // an empty span stays, but the axis turns manual
        {-0.1, 0.1, {false, -1e308, 1e308}, -1e308, 1e308},  // bounds that would overflow stay
    };
    for (const auto& c : cases) {
        const AxisScale to = StepScale(c.from, c.minShare, c.maxShare);
        EXPECT_FALSE(to.Automatic);
        EXPECT_NEAR(to.Minimum, c.minimum, 1e-9 * std::max(1.0, std::fabs(c.minimum)));
        EXPECT_NEAR(to.Maximum, c.maximum, 1e-9 * std::max(1.0, std::fabs(c.maximum)));
    }
}

TEST(GraphScale, LastSamplesWindowNeverStartsBeforeTheFirstSample) {
    const struct {
        int count, n;
        AxisScale window;
    } cases[] = {
        {5, 10, {false, 0, 4}},     {100, 10, {false, 90, 99}}, {160, 20, {false, 140, 159}},
        {0, 10, {false, 0, 0}},     {100, 0, {true, 0, 0}},
    };
    for (const auto& c : cases) {
        const AxisScale window = LastSamplesScale(c.count, c.n);
        EXPECT_EQ(window.Automatic, c.window.Automatic) << c.count << " " << c.n;
        if (!c.window.Automatic) {
            EXPECT_EQ(window.Minimum, c.window.Minimum) << c.count << " " << c.n;
            EXPECT_EQ(window.Maximum, c.window.Maximum) << c.count << " " << c.n;
        }
    }
}

TEST(GraphScale, LeftAxisTicksAreRoundStepsNoFinerThanATenThousandth) {
    const struct {
        double span;
        double interval;
    } cases[] = {{100, 20}, {4, 0.5}, {7, 1}, {10, 2}, {0.03, 0.005}, {1e-6, 0.0001}, {0, 0.0001}, {-5, 0.0001}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(TickInterval(c.span, 8), c.interval) << c.span;
}

// ---- the frame -----------------------------------------------------------------------------

// The graph frame on a measurement page whose records the test fills byte by byte, with the
// page's five graph boxes ticked and the measurement cycle as the running work.
class GraphFrame : public ::testing::Test {
protected:
    GraphFrame() { testing_support::EnsureApplication(); }

    void SetUp() override {
        WorkState = WorkMeasurement;
        page = std::make_unique<TFrameMeas>();
        graph = page->FrameGraph1;
        page->SetRecords(setup.data(), row.data());
        for (auto& box : boxes) {
            box = new QCheckBox(page.get());
            box->setChecked(true);
        }
        graph->SetChannelBoxes(boxes[0], boxes[1], boxes[2], boxes[3], boxes[4]);
        for (int c = 1; c <= 4; ++c) SetFactor(c, 1.0f);
    }

    void TearDown() override {
        page.reset();
        WorkState = WorkIdle;
    }

    static void PutFloat(std::uint8_t* bytes, std::size_t offset, float value) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    // Block 0 is the reference, 1..4 the channels: pressure at 32, current at 36, error at 40.
    void SetBlock(int block, float pressure, float current = 0.0f, float error = 0.0f) {
        const std::size_t start = 1 + 48 * static_cast<std::size_t>(block);
        PutFloat(row.data(), start + 32, pressure);
        PutFloat(row.data(), start + 36, current);
        PutFloat(row.data(), start + 40, error);
    }
    // UnitsFactor of channel c's SetupChannel.
    void SetFactor(int c, float factor) {
        PutFloat(setup.data(), 961 + 504 * static_cast<std::size_t>(c - 1) + 500, factor);
    }
    void Tick(int times = 1) {
        for (int i = 0; i < times; ++i) graph->Timer1Timer();
    }
    std::set<int> ActiveSeries() const {
        std::set<int> active;
        for (int i = 0; i < TFrameGraph::kSeriesCount; ++i) {
            if (graph->Series[i]->Active()) active.insert(i);
        }
        return active;
    }
    // The lines the plot draws for series s over the axes as they are now.
    std::vector<DrawnLine> Drawn(int s) {
        graph->Plot->Thin();
        return graph->Series[s]->DrawnLines();
    }
    std::vector<int> Counts() const {
        std::vector<int> counts;
        for (const GraphSeries* series : graph->Series) counts.push_back(series->Count());
        return counts;
    }

    std::array<std::uint8_t, 2981> setup{};
    std::array<std::uint8_t, 241> row{};
    std::unique_ptr<TFrameMeas> page;
    TFrameGraph* graph = nullptr;
    std::array<QCheckBox*, 5> boxes{};  // reference, channels 1..4
    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
};

TEST_F(GraphFrame, IsBuiltAsItsFormDescribes) {
    EXPECT_EQ(graph->objectName(), "FrameGraph1");
    EXPECT_TRUE(platform::IsOwner(graph));
    EXPECT_EQ(platform::OwnerOf(graph->EGLast), graph);
    EXPECT_EQ(graph->gr->chart()->title(), U("График"));
    EXPECT_FALSE(graph->gr->chart()->legend()->isVisible());
    EXPECT_EQ(graph->BottomAxis->titleText(), U("время, мин."));
    EXPECT_EQ(graph->GraphType, 0);

    const struct {
        const char* name;
        const char* title;
        QColor colour;
        bool active;
    } series[] = {
        {"LineSeries1", "Эталон", QColor(255, 0, 0), true},     {"LineSeries2", "Канал 1", QColor(0, 128, 255), true},
        {"LineSeries10", "Канал 2", QColor(0, 0, 0), true},     {"LineSeries11", "Канал 3", QColor(0, 128, 128), true},
        {"LineSeries12", "Канал 4", QColor(128, 0, 128), true}, {"LineSeries3", "Канал 1", QColor(0, 128, 255), false},
        {"LineSeries4", "Канал 2", QColor(0, 0, 0), false},     {"LineSeries5", "Канал 3", QColor(0, 128, 64), false},
        {"LineSeries6", "Канал 4", QColor(128, 0, 128), false}, {"Series6", "Канал 1", QColor(0, 128, 255), false},
        {"Series7", "Канал 2", QColor(0, 0, 0), false},         {"Series8", "Канал 3", QColor(0, 128, 0), false},
        {"Series9", "Канал 4", QColor(128, 0, 128), false},
    };
    for (int i = 0; i < TFrameGraph::kSeriesCount; ++i) {
        const GraphSeries* s = graph->Series[i];
        EXPECT_EQ(s, graph->findChild<GraphSeries*>(series[i].name)) << i;
        EXPECT_EQ(s->Title(), U(series[i].title)) << i;
        EXPECT_EQ(s->Colour(), series[i].colour) << i;
        EXPECT_EQ(s->Active(), series[i].active) << i;
        EXPECT_EQ(s->Count(), 0) << i;
    }

    // Left to right, with the separators after ClearGraph, Down, NoZoom, Print and Save.
    const struct {
        const char* name;
        const char* hint;
    } tools[] = {
        {"ClearGraph", "Очистить график"},
        {nullptr, nullptr},
        {"Left", "Сдвиг влево на 10%"},
        {"Right", "Сдвиг вправо на 10%"},
        {"Up", "Сдвиг вверх на 10%"},
        {"Down", "Сдвиг вниз на 10%"},
        {nullptr, nullptr},
        {"ZoomIn", "Увеличить масштаб на 10%"},
        {"ZoomOut", "Уменьшить масштаб на 10%"},
        {"NoZoom", "Масштаб по умолчанию (100%)"},
        {nullptr, nullptr},
        {"Print", "Распечатать график"},
        {nullptr, nullptr},
        {"Save", ""},
        {nullptr, nullptr},
        {"EGLast", "Отображать только последние значения"},
    };
    const QList<QAction*> actions = graph->ArchiveGraphToolBar->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(std::size(tools)));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const auto& tool = tools[i];
        if (tool.name == nullptr) {
            EXPECT_TRUE(actions[i]->isSeparator()) << i;
            continue;
        }
        QWidget* widget = graph->ArchiveGraphToolBar->widgetForAction(actions[i]);
        ASSERT_NE(widget, nullptr) << i;
        EXPECT_EQ(widget->objectName(), tool.name);
        EXPECT_EQ(widget->toolTip(), U(tool.hint)) << tool.name;
    }
    EXPECT_EQ(graph->EGLast->minimum(), 0);
    EXPECT_EQ(graph->EGLast->maximum(), 99999);
    EXPECT_EQ(graph->EGLast->singleStep(), 10);
    EXPECT_EQ(graph->EGLast->value(), 0);
    EXPECT_EQ(graph->Timer1->interval(), 1000);
    EXPECT_FALSE(graph->Timer1->isActive());
}

// The text buttons show their captions as text, each as wide as its caption needs: a picture of
// the caption cut "Печать" to "Печ".
TEST_F(GraphFrame, ToolBarCaptionsShowWhole) {
    page->resize(1223, 600);
    page->show();
    QCoreApplication::processEvents();
    const struct {
        QToolButton* button;
        const char* caption;
    } captioned[] = {
        {graph->ZoomIn, "+"}, {graph->ZoomOut, "−"}, {graph->NoZoom, "100%"}, {graph->Print, "Печать"}};
    for (const auto& c : captioned) {
        const std::string name = c.button->objectName().toStdString();
        EXPECT_EQ(c.button->toolButtonStyle(), Qt::ToolButtonTextOnly) << name;
        EXPECT_EQ(c.button->text(), U(c.caption)) << name;
        EXPECT_TRUE(c.button->isVisible()) << name;
        const int captionWidth = QFontMetrics(c.button->font()).horizontalAdvance(c.button->text());
        EXPECT_GT(c.button->width(), captionWidth) << name;
        EXPECT_GE(c.button->width(), c.button->sizeHint().width()) << name;
    }
}

TEST_F(GraphFrame, EachTickAddsOnePointOfEveryQuantityWithChannelPressuresInKPa) {
    const float factors[] = {1000.0f, 98.0665f, 0.001f, 0.13332237f};  // МПа, кгс/см2, Па, мм.рт.ст.
    for (int c = 1; c <= 4; ++c) SetFactor(c, factors[c - 1]);
    SetBlock(0, 101.325f);
    const float pressures[] = {0.101f, 1.5f, 250.0f, 760.0f};
    for (int c = 1; c <= 4; ++c) SetBlock(c, pressures[c - 1], 4.0f + static_cast<float>(c), -0.25f * static_cast<float>(c));
    Tick();
    EXPECT_EQ(graph->PointLabel, "0.00");
    SetBlock(0, 202.5f);
    SetBlock(3, 300.0f, 19.5f, 2.0f);
    Tick();
    EXPECT_EQ(graph->PointLabel, "0.01");

    EXPECT_EQ(Counts(), std::vector<int>(TFrameGraph::kSeriesCount, 2));
    EXPECT_EQ(graph->Series[0]->ValueAt(0), static_cast<double>(101.325f));
    EXPECT_EQ(graph->Series[0]->ValueAt(1), static_cast<double>(202.5f));
    for (int c = 1; c <= 4; ++c) {
        const double kPa = static_cast<double>(pressures[c - 1]) * static_cast<double>(factors[c - 1]);
        EXPECT_DOUBLE_EQ(*graph->Series[c]->ValueAt(0), kPa) << c;
        EXPECT_EQ(graph->Series[4 + c]->ValueAt(0), 4.0 + c) << c;
        EXPECT_EQ(graph->Series[8 + c]->ValueAt(0), -0.25 * c) << c;
    }
    EXPECT_NEAR(*graph->Series[1]->ValueAt(0), 101.0, 1e-4);
    EXPECT_DOUBLE_EQ(*graph->Series[3]->ValueAt(1), 300.0 * static_cast<double>(0.001f));
    EXPECT_EQ(graph->Series[7]->ValueAt(1), 19.5);
    EXPECT_EQ(graph->Series[11]->ValueAt(1), 2.0);

    // The chart draws them at their index.
    EXPECT_EQ(Drawn(0), std::vector<DrawnLine>({{{0.0, static_cast<double>(101.325f)},
                                                  {1.0, static_cast<double>(202.5f)}}}));

    Tick(58);
    EXPECT_EQ(graph->PointLabel, "0.98");
    Tick();
    EXPECT_EQ(graph->PointLabel, "1.00");
}

TEST_F(GraphFrame, ValuesThatAreNotNumbersOrTooLargeLeaveGapsWhileTheOthersGoOn) {
    const struct {
        float reference;
        float channel1;   // pressure, times the factor 1000
        float current2;
    } bad[] = {{kNaN, 1e24f, kInf}, {kInf, kNaN, -kInf}, {-kInf, 1e23f, 1e30f}, {1e30f, -1e24f, kNaN}};
    SetFactor(1, 1000.0f);
    for (const auto& b : bad) {
        graph->ClearSeries();
        SetBlock(0, 10.0f);
        SetBlock(1, 0.5f);
        SetBlock(2, 0.0f, 12.0f);
        Tick();
        SetBlock(0, b.reference);
        SetBlock(1, b.channel1);
        SetBlock(2, 0.0f, b.current2);
        Tick();
        SetBlock(0, 30.0f);
        SetBlock(1, 0.75f);
        SetBlock(2, 0.0f, 16.0f);
        Tick();

        EXPECT_EQ(Counts(), std::vector<int>(TFrameGraph::kSeriesCount, 3));
        for (int s : {0, 1, 6}) {
            const GraphSeries* series = graph->Series[s];
            EXPECT_TRUE(series->ValueAt(0).has_value()) << s;
            EXPECT_FALSE(series->ValueAt(1).has_value()) << "series " << s << " sample " << b.reference;
            EXPECT_TRUE(series->ValueAt(2).has_value()) << s;
            // The line does not bridge the gap: one piece before it, one after.
            const std::vector<DrawnLine> pieces = {{{0.0, *series->ValueAt(0)}}, {{2.0, *series->ValueAt(2)}}};
            EXPECT_EQ(Drawn(s), series->Active() ? pieces : std::vector<DrawnLine>()) << s;
        }
        EXPECT_EQ(graph->Series[5]->ValueAt(1), 0.0) << "channel 1's current goes on";
        EXPECT_EQ(graph->Series[2]->ValueAt(1), 0.0) << "channel 2's pressure goes on";
    }
    // A gap is never part of the automatic range.
    EXPECT_EQ(graph->LeftScale().Maximum, 750.0);
}

TEST_F(GraphFrame, GraphTypeAndTheBoxesChooseTheActiveSeries) {
    Tick(3);
    const struct {
        int type;
        std::array<bool, 5> ticked;  // reference, channels 1..4
        std::set<int> active;
        const char* title;
    } cases[] = {
        {0, {true, true, true, true, true}, {0, 1, 2, 3, 4}, "График давления, кПа"},
        {0, {false, false, true, false, false}, {2}, "График давления, кПа"},
        {1, {true, true, false, true, false}, {5, 7}, "График тока, мА"},  // the reference never in currents
        {2, {true, false, false, false, true}, {12}, "График погрешности, %"},
        {2, {true, true, true, true, true}, {9, 10, 11, 12}, "График погрешности, %"},
        {3, {true, true, true, true, true}, {}, ""},
        {-1, {true, true, true, true, true}, {}, ""},
    };
    for (const auto& c : cases) {
        for (std::size_t i = 0; i < 5; ++i) boxes[i]->setChecked(c.ticked[i]);
        graph->SetGraphType(c.type);
        EXPECT_EQ(graph->GraphType, c.type);
        EXPECT_EQ(graph->gr->chart()->title(), U(c.title)) << c.type;
        EXPECT_EQ(ActiveSeries(), c.active) << "type " << c.type;
        // Hidden series hold no drawn points; the shown ones draw every sample.
        for (int i = 0; i < TFrameGraph::kSeriesCount; ++i)
            EXPECT_EQ(Drawn(i).size(), c.active.count(i)) << "type " << c.type << " series " << i;
    }

    // A box clicked on the page counts at the next recomputation.
    graph->SetGraphType(1);
    boxes[2]->setChecked(true);
    EXPECT_EQ(ActiveSeries(), std::set<int>({5, 6, 7, 8}));
    boxes[2]->setChecked(false);
    graph->UpdateSeriesVisibility();
    EXPECT_EQ(ActiveSeries(), std::set<int>({5, 7, 8}));
    // The currents were sampled all along: switching shows their history at once.
    EXPECT_EQ(graph->Series[5]->Count(), 3);

    // A box that is gone counts as not ticked.
    delete boxes[1];
    boxes[1] = nullptr;
    graph->UpdateSeriesVisibility();
    EXPECT_EQ(ActiveSeries(), std::set<int>({7, 8}));
}

TEST_F(GraphFrame, TenHoursAreDrawnThinnedYetASpikeShowsAndAMinuteZoomedInShowsEverySample) {
    page->resize(1200, 800);
    page->show();
    constexpr int kTenHours = 36000;
    constexpr int kSpikeAt = 20000;
    constexpr double kSpike = 500.0;
    const auto value = [](int i) { return 100.0 + 0.1 * (i % 7); };
    for (int i = 0; i < kTenHours; ++i) {
        graph->AddPoint(graph->Series[0], i == kSpikeAt ? kSpike : value(i));
        for (int s = 1; s < TFrameGraph::kSeriesCount; ++s) graph->AddPoint(graph->Series[s], value(i));
    }
    graph->ResetZoom();
    ASSERT_EQ(graph->BottomAxis->max(), kTenHours - 1.0);
    ASSERT_EQ(graph->LeftAxis->max(), kSpike);
    QCoreApplication::processEvents();  // the chart lays out its axes' new labels
    const QRectF area = graph->Plot->Area();
    ASSERT_EQ(area, graph->gr->chart()->plotArea());
    ASSERT_GT(area.width(), 300.0);

    std::vector<QPointF> points;
    for (const DrawnLine& line : Drawn(0)) points.insert(points.end(), line.begin(), line.end());
    EXPECT_LE(static_cast<double>(points.size()), 4.0 * (area.width() + 2.0)) << "four points a pixel column at most";
    EXPECT_NE(std::find(points.begin(), points.end(), QPointF(kSpikeAt, kSpike)), points.end());
    for (int s = 5; s < TFrameGraph::kSeriesCount; ++s) EXPECT_TRUE(Drawn(s).empty()) << s;

    // On screen the spike reaches the top of the plot in red; nothing else comes up there.
    const QImage picture = graph->gr->viewport()->grab().toImage();
    const auto redNearTop = [&](double sample) {
        const double x = area.left() + sample / (kTenHours - 1.0) * area.width();
        const QPoint at = graph->gr->mapFromScene(graph->gr->chart()->mapToScene(QPointF(x, area.top())));
        for (int dx = -2; dx <= 2; ++dx) {
            for (int dy = 0; dy <= 6; ++dy) {
                const QColor colour = picture.pixelColor(at.x() + dx, at.y() + dy);
                if (colour.red() > 200 && colour.green() < 120 && colour.blue() < 120) return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(redNearTop(kSpikeAt));
    EXPECT_FALSE(redNearTop(kSpikeAt / 2));

    // The chart's own mouse zoom onto one minute: every sample of it is drawn, as it is.
    const auto xOf = [&](double sample) { return area.left() + sample / (kTenHours - 1.0) * area.width(); };
    graph->gr->chart()->zoomIn(QRectF(QPointF(xOf(18000.0), area.top()), QPointF(xOf(18060.0), area.bottom())));
    EXPECT_FALSE(graph->BottomScale().Automatic);
    EXPECT_NEAR(graph->BottomAxis->min(), 18000.0, 1.0);
    EXPECT_NEAR(graph->BottomAxis->max(), 18060.0, 1.0);
    const int first = static_cast<int>(std::ceil(graph->BottomAxis->min()));
    const int last = static_cast<int>(std::floor(graph->BottomAxis->max()));
    ASSERT_GE(last - first, 30);
    for (int s = 0; s <= 4; ++s) {
        DrawnLine inView;
        for (const DrawnLine& line : Drawn(s)) {
            for (const QPointF& point : line) {
                if (point.x() >= first && point.x() <= last) inView.push_back(point);
            }
        }
        DrawnLine every;
        for (int i = first; i <= last; ++i) every.emplace_back(i, *graph->Series[s]->ValueAt(i));
        EXPECT_EQ(inView, every) << s;
    }
}

TEST_F(GraphFrame, AutomaticAxesSpanThePointsOfTheActiveSeriesOnly) {
    graph->SetGraphType(1);
    boxes[2]->setChecked(false);
    graph->UpdateSeriesVisibility();
    const float currents[] = {12.0f, 4.0f, 20.0f};
    for (float current : currents) {
        SetBlock(1, 0.0f, current);
        SetBlock(2, 0.0f, 100.0f);  // channel 2 is not on the graph
        Tick();
    }
    EXPECT_TRUE(graph->LeftScale().Automatic);
    EXPECT_EQ(graph->LeftScale().Minimum, 0.0) << "channels 3 and 4 plot 0 mA";
    EXPECT_EQ(graph->LeftScale().Maximum, 20.0);
    EXPECT_TRUE(graph->BottomScale().Automatic);
    EXPECT_EQ(graph->BottomScale().Minimum, 0.0);
    EXPECT_EQ(graph->BottomScale().Maximum, 2.0);
    EXPECT_EQ(graph->LeftAxis->min(), 0.0);
    EXPECT_EQ(graph->LeftAxis->max(), 20.0);
    EXPECT_EQ(graph->BottomAxis->max(), 2.0);
    EXPECT_EQ(graph->BottomAxis->categoriesLabels(), QStringList({"0.00", "0.01", "0.03"}));

    boxes[2]->setChecked(true);
    graph->UpdateSeriesVisibility();
    EXPECT_EQ(graph->LeftScale().Maximum, 100.0);
}

TEST_F(GraphFrame, SamplingRunsOnlyWhileTheMeasurementCycleRuns) {
    graph->EnableSampling(true);
    EXPECT_TRUE(graph->Timer1->isActive());
    graph->EnableSampling(false);
    EXPECT_FALSE(graph->Timer1->isActive());

    for (std::uint8_t work : {WorkIdle, WorkLinkCheck}) {
        // A start whose cycle ended at once (the port did not open), or a start while the link
        // check runs: switching sampling on leaves it off.
        WorkState = work;
        graph->EnableSampling(true);
        EXPECT_FALSE(graph->Timer1->isActive()) << int{work};

        // A cycle that ends by itself while sampling is on: the next tick samples nothing and stops.
        WorkState = WorkMeasurement;
        graph->EnableSampling(true);
        Tick();
        WorkState = work;
        Tick();
        EXPECT_FALSE(graph->Timer1->isActive()) << int{work};
        EXPECT_EQ(graph->Series[0]->Count(), 1) << int{work};
        graph->ClearChart();
    }
}

TEST_F(GraphFrame, MissingRecordsAddNoPointToAnySeries) {
    page->SetRecords(nullptr, row.data());
    Tick();
    EXPECT_EQ(Counts(), std::vector<int>(TFrameGraph::kSeriesCount, 0));
    page->SetRecords(setup.data(), nullptr);
    Tick();
    EXPECT_EQ(Counts(), std::vector<int>(TFrameGraph::kSeriesCount, 0));
    EXPECT_EQ(graph->Row, nullptr);

    // Sampling goes on: the records may come back.
    page->SetRecords(setup.data(), row.data());
    Tick();
    EXPECT_EQ(Counts(), std::vector<int>(TFrameGraph::kSeriesCount, 1));
    EXPECT_EQ(graph->Row, row.data());

    // A frame outside any measurement page has no records at all.
    TFrameGraph alone;
    alone.Timer1Timer();
    for (const GraphSeries* series : alone.Series) EXPECT_EQ(series->Count(), 0);
}

TEST_F(GraphFrame, ToolBarScrollsAndZoomsFromARangeOf0To100) {
    const struct {
        QToolButton* TFrameGraph::*button;
        double bottomMin, bottomMax, leftMin, leftMax;
    } cases[] = {
        {&TFrameGraph::Left, -10, 89, 0, 100},     {&TFrameGraph::Right, 10, 109, 0, 100},
        {&TFrameGraph::Up, 0, 100, 10, 109},       {&TFrameGraph::Down, 0, 100, -10, 89},
        {&TFrameGraph::ZoomIn, 10, 91, 10, 91},    {&TFrameGraph::ZoomOut, -10, 111, -10, 111},
    };
    for (const auto& c : cases) {
        // As a mouse zoom would leave them.
        graph->BottomAxis->setRange(0, 100);
        graph->LeftAxis->setRange(0, 100);
        QToolButton* button = graph->*c.button;
        button->click();
        const AxisScale& bottom = graph->BottomScale();
        const AxisScale& left = graph->LeftScale();
        EXPECT_FALSE(bottom.Automatic);
        EXPECT_FALSE(left.Automatic);
        EXPECT_NEAR(bottom.Minimum, c.bottomMin, 1e-9) << button->objectName().toStdString();
        EXPECT_NEAR(bottom.Maximum, c.bottomMax, 1e-9) << button->objectName().toStdString();
        EXPECT_NEAR(left.Minimum, c.leftMin, 1e-9) << button->objectName().toStdString();
        EXPECT_NEAR(left.Maximum, c.leftMax, 1e-9) << button->objectName().toStdString();
        EXPECT_NEAR(graph->BottomAxis->min(), c.bottomMin, 1e-9);
        EXPECT_NEAR(graph->LeftAxis->max(), c.leftMax, 1e-9);
    }

    // Ten shifts leave 0.99 to the tenth of the span, not the span.
    graph->BottomAxis->setRange(0, 100);
    for (int i = 0; i < 10; ++i) graph->Left->click();
    EXPECT_NEAR(graph->BottomScale().Maximum - graph->BottomScale().Minimum, 100 * std::pow(0.99, 10), 1e-9);
}

TEST_F(GraphFrame, ManualAxesStayWhileSamplesComeAndNoZoomFollowsThemAgain) {
    SetBlock(0, 5.0f);
    Tick(10);
    graph->BottomAxis->setRange(2, 6);  // the user's mouse zoom
    graph->ZoomIn->click();
    const AxisScale bottom = graph->BottomScale();
    const AxisScale left = graph->LeftScale();
    SetBlock(0, 500.0f);
    Tick(10);
    EXPECT_EQ(graph->BottomScale().Minimum, bottom.Minimum);
    EXPECT_EQ(graph->BottomScale().Maximum, bottom.Maximum);
    EXPECT_EQ(graph->LeftScale().Maximum, left.Maximum);
    EXPECT_EQ(graph->BottomAxis->categoriesLabels(), QStringList({"0.05", "0.06", "0.08"}));

    graph->EGLast->setValue(10);
    graph->NoZoom->click();
    EXPECT_TRUE(graph->BottomScale().Automatic);
    EXPECT_TRUE(graph->LeftScale().Automatic);
    EXPECT_EQ(graph->BottomScale().Maximum, 19.0);
    EXPECT_EQ(graph->LeftScale().Minimum, 0.0);
    EXPECT_EQ(graph->LeftScale().Maximum, 500.0);
    EXPECT_EQ(graph->EGLast->value(), 10) << "NoZoom leaves the window's value";
    Tick();
    EXPECT_EQ(graph->BottomScale().Maximum, 20.0);
}

TEST_F(GraphFrame, ToolButtonActionRunsOnlyForToolButtons) {
    graph->BottomAxis->setRange(0, 100);
    QPushButton notATool;
    notATool.setObjectName("Left");
    QToolButton unknown;
    unknown.setObjectName("Other");
    for (QObject* sender : {static_cast<QObject*>(&notATool), static_cast<QObject*>(&unknown),
                            static_cast<QObject*>(graph->EGLast), static_cast<QObject*>(nullptr)}) {
        graph->ToolButtonAction(sender);
        EXPECT_EQ(graph->BottomScale().Minimum, 0.0);
        EXPECT_EQ(graph->BottomScale().Maximum, 100.0);
    }
    // The name decides, as on the tool bar.
    QToolButton left;
    left.setObjectName("Left");
    graph->LeftClick(&left);
    EXPECT_EQ(graph->BottomScale().Minimum, -10.0);
}

TEST_F(GraphFrame, EGLastShowsOnlyTheLastSamples) {
    const struct {
        int samples, value, valueAfter;
        AxisScale bottom;
    } cases[] = {
        {5, 10, 10, {false, 0, 4}},
        {100, 10, 10, {false, 90, 99}},
        {30, 1, 0, {true, 0, 29}},  // 1 means all samples too
        {0, 10, 10, {false, 0, 0}},
    };
    for (const auto& c : cases) {
        graph->ClearChart();
        graph->EGLast->setValue(0);
        Tick(c.samples);
        graph->EGLast->setValue(c.value);
        const AxisScale& bottom = graph->BottomScale();
        EXPECT_EQ(graph->EGLast->value(), c.valueAfter) << c.value;
        EXPECT_EQ(bottom.Automatic, c.bottom.Automatic) << c.value;
        EXPECT_EQ(bottom.Minimum, c.bottom.Minimum) << c.samples << " " << c.value;
        EXPECT_EQ(bottom.Maximum, c.bottom.Maximum) << c.samples << " " << c.value;
        const QColor expected = c.valueAfter != 0 ? QColor(Qt::white) : graph->palette().color(QPalette::Button);
        EXPECT_EQ(graph->EGLast->palette().color(QPalette::Base), expected) << c.value;
    }
}

TEST_F(GraphFrame, EGLastWindowStaysUntilItChangesAgain) {
    Tick(100);
    graph->EGLast->setValue(10);
    Tick(60);
    EXPECT_EQ(graph->BottomScale().Minimum, 90.0);
    EXPECT_EQ(graph->BottomScale().Maximum, 99.0);
    graph->EGLast->setValue(20);
    EXPECT_EQ(graph->BottomScale().Minimum, 140.0);
    EXPECT_EQ(graph->BottomScale().Maximum, 159.0);
    EXPECT_EQ(graph->BottomAxis->min(), 140.0);
    EXPECT_EQ(graph->BottomAxis->max(), 159.0);
    EXPECT_EQ(graph->BottomAxis->categoriesLabels(), QStringList({"2.33", "2.36", "2.40", "2.43", "2.46", "2.50",
                                                                  "2.53", "2.56", "2.60", "2.63"}));

    // A project load sets the value and runs the handler itself.
    {
        const QSignalBlocker quiet(graph->EGLast);
        graph->EGLast->setValue(60);
    }
    graph->EGLastChange();
    EXPECT_EQ(graph->BottomScale().Minimum, 100.0);
    EXPECT_EQ(graph->BottomScale().Maximum, 159.0);
}

TEST_F(GraphFrame, ClearGraphRemovesEveryPoint) {
    SetBlock(0, 7.0f);
    Tick(3);
    graph->ClearGraph->click();
    EXPECT_EQ(Counts(), std::vector<int>(TFrameGraph::kSeriesCount, 0));
    EXPECT_TRUE(Drawn(0).empty());
    EXPECT_TRUE(graph->BottomAxis->categoriesLabels().isEmpty());
    Tick();
    EXPECT_EQ(graph->PointLabel, "0.00");
    EXPECT_EQ(Drawn(0), std::vector<DrawnLine>({{{0.0, 7.0}}}));
}

TEST_F(GraphFrame, SaveWritesTheChartAsABitmapFile) {
    testing_support::TempFolder folder;
    graph->resize(800, 500);
    SetBlock(0, 3.0f);
    Tick(5);

    dialogs.answerFile(QString::fromStdString(folder.file("chart")));
    graph->Save->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, testing_support::ShownDialog::Kind::SaveFile);
    EXPECT_EQ(dialogs.shown[0].file.defaultExt, "bmp");
    EXPECT_TRUE(dialogs.shown[0].file.filter.contains("*.bmp"));
    QFile saved(QString::fromStdString(folder.file("chart.bmp")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_GT(bytes.size(), 1000);
    EXPECT_TRUE(bytes.startsWith("BM"));

    // Cancelled: nothing written, nothing said.
    graph->SaveChartBitmap();
    EXPECT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    // A file that cannot be written is reported.
    dialogs.answerFile(QString::fromStdString(folder.file("missing/chart.bmp")));
    graph->SaveChartBitmap();
    ASSERT_EQ(dialogs.shown.size(), 4u);
    EXPECT_EQ(dialogs.shown[3].kind, testing_support::ShownDialog::Kind::MessageDlg);
    EXPECT_EQ(dialogs.shown[3].text, U("Невозможно сохранить файл!"));
    EXPECT_EQ(dialogs.shown[3].type, platform::MsgDlgType::Error);
}

// Prints into a file instead of asking; remembers the orientation the printer had when asked.
class PrintInto {
public:
    explicit PrintInto(std::optional<std::string> path)
        : previous_(SetChartPrintDialog([this, path](QPrinter& printer) {
              printer_ = &printer;
              seen = printer.pageLayout().orientation();
              if (!path) return false;
              printer.setOutputFormat(QPrinter::PdfFormat);
              printer.setOutputFileName(QString::fromStdString(*path));
              return true;
          })) {}
    ~PrintInto() { SetChartPrintDialog(std::move(previous_)); }
    QPageLayout::Orientation now() const { return printer_->pageLayout().orientation(); }
    std::optional<QPageLayout::Orientation> seen;

private:
    ChartPrintDialog previous_;
    QPrinter* printer_ = nullptr;
};

TEST_F(GraphFrame, PrintsInLandscapeAndRestoresThePrintersOrientation) {
    testing_support::TempFolder folder;
    graph->resize(800, 500);
    Tick(5);
    const struct {
        std::optional<std::string> path;
        bool printed;
        const char* message;
    } cases[] = {
        {folder.file("chart.pdf"), true, nullptr},
        {std::nullopt, false, nullptr},  // the user cancelled the dialog
        {folder.file("missing/chart.pdf"), false, "Невозможно распечатать график!"},
    };
    for (const auto& c : cases) {
        dialogs.shown.clear();
        PrintInto printing(c.path);
        graph->Print->click();
        ASSERT_TRUE(printing.seen.has_value());
        EXPECT_EQ(*printing.seen, QPageLayout::Landscape);
        EXPECT_EQ(printing.now(), QPageLayout::Portrait);
        if (c.path) {
            QFile pdf(QString::fromStdString(*c.path));
            EXPECT_EQ(pdf.open(QIODevice::ReadOnly) && pdf.read(4) == "%PDF", c.printed) << *c.path;
        }
        if (c.message) {
            ASSERT_EQ(dialogs.shown.size(), 1u);
            EXPECT_EQ(dialogs.shown[0].text, U(c.message));
        } else {
            EXPECT_TRUE(dialogs.shown.empty());
        }
    }
}

}  // namespace
