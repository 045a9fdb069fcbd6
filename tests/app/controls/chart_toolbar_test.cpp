#include "app/controls/chart_toolbar.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCategoryAxis>
#include <QChartView>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPrinter>
#include <QToolBar>
#include <QToolButton>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/controls/chart_output.h"
#include "app/controls/tool_chart.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/device_node.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

namespace {

void ExpectScale(const AxisScale& scale, bool automatic, double minimum, double maximum, const std::string& what) {
    EXPECT_EQ(scale.Automatic, automatic) << what;
    EXPECT_NEAR(scale.Minimum, minimum, 1e-9) << what;
    EXPECT_NEAR(scale.Maximum, maximum, 1e-9) << what;
}

// ---- the arithmetic ------------------------------------------------------------------------

TEST(ChartSteps, MoveTheBoundsOfARangeOf0To100ByTheirShares) {
    const struct {
        const char* name;
        AxisStep step;
        ChartAxis axis;
        double minimum, maximum;
    } cases[] = {
        {"shift left", kShiftLeft, ChartAxis::Bottom, -10, 89},
        {"shift right", kShiftRight, ChartAxis::Bottom, 10, 109},
        {"shift down", kShiftDown, ChartAxis::Left, -10, 89},
        {"shift up", kShiftUp, ChartAxis::Left, 10, 109},
        {"zoom x in", kZoomXIn, ChartAxis::Bottom, 5, 95.25},
        {"zoom x out", kZoomXOut, ChartAxis::Bottom, -5, 105.25},
        {"zoom y in", kZoomYIn, ChartAxis::Left, 5, 95.25},
        {"zoom y out", kZoomYOut, ChartAxis::Left, -5, 105.25},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.step.axis, c.axis) << c.name;
        ExpectScale(StepAxis({true, 0, 100}, c.step), false, c.minimum, c.maximum, c.name);
        // An empty span stays where it is, but the axis turns manual.
        ExpectScale(StepAxis({true, 7, 7}, c.step), false, 7, 7, c.name);
    }
}

TEST(ChartSteps, TenShiftsLeaveASpanOf099ToTheTenth) {
    AxisScale scale{true, 0, 100};
    for (int i = 0; i < 10; ++i) scale = StepAxis(scale, kShiftLeft);
    EXPECT_NEAR(scale.Maximum - scale.Minimum, 100 * std::pow(0.99, 10), 1e-9);
    EXPECT_LT(scale.Minimum, -65.0);
}

TEST(ChartAxisLabels, NumbersAreGroupedAndKeepAtMostSixDecimals) {
    const QString nbsp(QChar(0x00A0));
    const struct {
        double value;
        QString text;
    } cases[] = {
        {0, "0"},
        {0.0001, "0.0001"},
        {2.5, "2.5"},
        {-0.25, "-0.25"},
        {1234.5, "1" + nbsp + "234.5"},
        {-1234567.125, "-1" + nbsp + "234" + nbsp + "567.125"},
        {100, "100"},
        {0.30000000000000004, "0.3"},
        {1.23456789, "1.234568"},
        {-0.0000001, "0"},
        {std::nan(""), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(AxisNumberText(c.value), c.text) << c.value;
}

TEST(ChartAxisLabels, TicksAreTheWholeMultiplesOfTheStepInTheRange) {
    const struct {
        double minimum, maximum, interval;
        int maxCount;
        std::vector<double> ticks;
    } cases[] = {
        {0, 10, 5, 10, {0, 5, 10}},
        {-1, 1, 0.5, 10, {-1, -0.5, 0, 0.5, 1}},
        {0.3, 0.9, 0.2, 10, {0.4, 0.6, 0.8}},
        {0, 100, 1, 3, {0, 1, 2}},
        {5, 1, 1, 10, {}},
        {0, 1, 0, 10, {}},
        {0, std::nan(""), 1, 10, {}},
    };
    for (const auto& c : cases) {
        const std::vector<double> ticks = AxisTicks(c.minimum, c.maximum, c.interval, c.maxCount);
        ASSERT_EQ(ticks.size(), c.ticks.size()) << c.minimum << ".." << c.maximum;
        for (std::size_t i = 0; i < ticks.size(); ++i) EXPECT_NEAR(ticks[i], c.ticks[i], 1e-12);
    }
}

// ---- the tool bar on a chart --------------------------------------------------------------

const std::array<const char*, kChartToolPositions> kNames = {
    "Left",   "Right", "Up",    "Down",  nullptr, "ZoomIn", "ZoomOut", "Auto", nullptr, "XIn",
    "XOut",   nullptr, "YIn",   "YOut",  nullptr, "Print",  nullptr,   "Save", nullptr, "Clear",
};

class ChartToolBar : public ::testing::Test, testing_support::WithApplication {
protected:
    ChartToolBar() {
        chart = std::make_unique<TChart>("Chart", QStringLiteral("Chart"), nullptr);
        chart->AddSeries(QStringLiteral("a"), Qt::black);
        chart->AddSeries(QStringLiteral("b"), Qt::red);
        bar = AddChartToolBar(chart.get(), "Bar", kNames);
        for (double value : {3.0, -2.0, 8.0}) chart->AddPoint(0, value);
        chart->AddPoint(1, 4.0);
        chart->Rescale();
    }
    QToolButton* Button(int position) const {
        return qobject_cast<QToolButton*>(bar->widgetForAction(bar->actions().at(position)));
    }
    void Manual0To100() {
        chart->SetScale(ChartAxis::Bottom, {false, 0, 100});
        chart->SetScale(ChartAxis::Left, {false, 0, 100});
    }

    std::unique_ptr<TChart> chart;
    QToolBar* bar = nullptr;
    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
};

TEST_F(ChartToolBar, HoldsTwentyPositionsWithTheirHints) {
    const char* const hints[kChartToolPositions] = {
        "Сдвиг влево на 10%",
        "Сдвиг вправо на 10%",
        "Сдвиг вверх на 10%",
        "Сдвиг вниз на 10%",
        nullptr,
        "Увеличить масштаб на 10%",
        "Уменьшить масштаб на 10%",
        "Масштаб по умолчанию (100%)",
        nullptr,
        "Увеличить масштаб горизонтальной оси на 10%",
        "Уменьшить масштаб горизонтальной оси на 10%",
        nullptr,
        "Увеличить масштаб вертикальной оси на 10%",
        "Уменьшить масштаб вертикальной оси на 10%",
        nullptr,
        "Распечатать график",
        nullptr,
        "Сохранить в файл",
        nullptr,
        "Очистить",
    };
    EXPECT_EQ(bar->objectName(), "Bar");
    EXPECT_EQ(bar->parent(), chart.get());
    ASSERT_EQ(bar->actions().size(), kChartToolPositions);
    for (int i = 0; i < kChartToolPositions; ++i) {
        if (hints[i] == nullptr) {
            EXPECT_TRUE(bar->actions().at(i)->isSeparator()) << i;
            continue;
        }
        ASSERT_NE(Button(i), nullptr) << i;
        EXPECT_EQ(Button(i)->objectName(), kNames[static_cast<std::size_t>(i)]);
        EXPECT_EQ(Button(i)->toolTip(), U(hints[i])) << i;
        // A picture, or a caption where the style has no fitting picture.
        EXPECT_NE(Button(i)->icon().isNull(), Button(i)->toolButtonStyle() == Qt::ToolButtonIconOnly) << i;
        EXPECT_NE(Button(i)->text().isEmpty(), Button(i)->toolButtonStyle() == Qt::ToolButtonTextOnly) << i;
    }
}

TEST_F(ChartToolBar, EveryPositionStepsItsAxesFromARangeOf0To100) {
    const struct {
        int position;
        AxisScale bottom;
        AxisScale left;
    } cases[] = {
        {0, {false, -10, 89}, {false, 0, 100}},
        {1, {false, 10, 109}, {false, 0, 100}},
        {2, {false, 0, 100}, {false, 10, 109}},
        {3, {false, 0, 100}, {false, -10, 89}},
        {5, {false, 5, 95.25}, {false, 5, 95.25}},  // both axes in one click
        {6, {false, -5, 105.25}, {false, -5, 105.25}},
        {7, {true, 0, 2}, {true, -2, 8}},  // automatic again: the points' range
        {9, {false, 5, 95.25}, {false, 0, 100}},
        {10, {false, -5, 105.25}, {false, 0, 100}},
        {12, {false, 0, 100}, {false, 5, 95.25}},
        {13, {false, 0, 100}, {false, -5, 105.25}},
        // Separators and "Очистить" do nothing here.
        {4, {false, 0, 100}, {false, 0, 100}},
        {8, {false, 0, 100}, {false, 0, 100}},
        {11, {false, 0, 100}, {false, 0, 100}},
        {14, {false, 0, 100}, {false, 0, 100}},
        {16, {false, 0, 100}, {false, 0, 100}},
        {18, {false, 0, 100}, {false, 0, 100}},
        {19, {false, 0, 100}, {false, 0, 100}},
    };
    for (const auto& c : cases) {
        Manual0To100();
        QObject* sender = Button(c.position) ? static_cast<QObject*>(Button(c.position)) : bar->actions().at(c.position);
        ChartToolClick(sender);
        const std::string what = "position " + std::to_string(c.position);
        ExpectScale(chart->Scale(ChartAxis::Bottom), c.bottom.Automatic, c.bottom.Minimum, c.bottom.Maximum, what);
        ExpectScale(chart->Scale(ChartAxis::Left), c.left.Automatic, c.left.Minimum, c.left.Maximum, what);
    }
    EXPECT_EQ(chart->Series[0]->count(), 3) << "\"Очистить\" is its owner's to connect";
}

TEST_F(ChartToolBar, TheAxesShowTheirBoundsWithLabelsAtRoundSteps) {
    Manual0To100();
    EXPECT_EQ(chart->BottomAxis->min(), 0);
    EXPECT_EQ(chart->BottomAxis->max(), 100);
    EXPECT_EQ(chart->LeftAxis->categoriesLabels(), (QStringList{"0", "20", "40", "60", "80", "100"}));
    ChartZoomYIn(chart.get());
    EXPECT_EQ(chart->LeftAxis->min(), 5);
    EXPECT_EQ(chart->LeftAxis->max(), 95.25);
    EXPECT_EQ(chart->LeftAxis->categoriesLabels(), (QStringList{"20", "40", "60", "80"}));
    // A span narrower than a whole step still labels the bottom axis in whole steps.
    chart->SetScale(ChartAxis::Bottom, {false, 0.25, 2.5});
    EXPECT_EQ(chart->BottomAxis->categoriesLabels(), (QStringList{"1", "2"}));
    // An axis of one value is drawn with room around it but keeps its bounds.
    chart->SetScale(ChartAxis::Left, {false, 3, 3});
    EXPECT_EQ(chart->LeftAxis->min(), 2);
    EXPECT_EQ(chart->LeftAxis->max(), 4);
    ExpectScale(chart->Scale(ChartAxis::Left), false, 3, 3, "one value");
}

TEST_F(ChartToolBar, AManualAxisStaysWhilePointsComeAndAutomaticOneFollowsThem) {
    ChartShiftUp(chart.get());
    ExpectScale(chart->Scale(ChartAxis::Left), false, -1, 8.9, "after the shift");  // from the points' -2..8
    chart->AddPoint(0, 50.0);
    chart->Rescale();
    ExpectScale(chart->Scale(ChartAxis::Left), false, -1, 8.9, "manual");
    ExpectScale(chart->Scale(ChartAxis::Bottom), true, 0, 3, "automatic");
    ChartAutoAxes(chart.get());
    ExpectScale(chart->Scale(ChartAxis::Left), true, -2, 50, "automatic again");
    chart->ClearSeries();
    ExpectScale(chart->Scale(ChartAxis::Left), true, 0, 0, "no points");
    EXPECT_EQ(chart->Series[0]->count(), 0);
}

TEST_F(ChartToolBar, OnlyAToolButtonOnAToolBarInAChartIsDispatched) {
    QWidget elsewhere;
    auto* looseBar = new QToolBar(&elsewhere);
    auto* looseButton = new QToolButton(looseBar);
    looseBar->addWidget(looseButton);  // position 0, but on no chart
    auto* label = new QLabel(bar);
    bar->insertWidget(bar->actions().at(0), label);  // position 0 of the chart's bar, not a button
    auto* onChart = new QToolButton(chart.get());    // in the chart, not on a tool bar
    const struct {
        const char* name;
        QObject* sender;
    } cases[] = {
        {"nothing", nullptr},
        {"the chart", chart.get()},
        {"the tool bar", bar},
        {"a button on a tool bar outside a chart", looseButton},
        {"a label on the chart's tool bar", label},
        {"a button on the chart itself", onChart},
    };
    for (const auto& c : cases) {
        Manual0To100();
        ChartToolClick(c.sender);
        ExpectScale(chart->Scale(ChartAxis::Bottom), false, 0, 100, c.name);
        ExpectScale(chart->Scale(ChartAxis::Left), false, 0, 100, c.name);
    }
}

TEST_F(ChartToolBar, AClickOfTheMouseReachesTheStepThroughTheButtonsSignal) {
    chart->resize(800, 400);
    chart->show();
    QToolButton* left = Button(0);
    QObject::connect(left, &QToolButton::clicked, left, [left] { ChartToolClick(left); });
    Manual0To100();
    const QPointF centre = QRectF(left->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, left->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, left->mapToGlobal(centre), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(left, &press);
    QApplication::sendEvent(left, &release);
    ExpectScale(chart->Scale(ChartAxis::Bottom), false, -10, 89, "clicked");
}

TEST_F(ChartToolBar, SaveWritesTheChartAsABitmapOfItsSizeAndCancelWritesNothing) {
    testing_support::TempFolder folder;
    chart->resize(640, 360);
    chart->show();
    ChartToolClick(Button(17));  // cancelled: the scripted dialog has no answer
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, testing_support::ShownDialog::Kind::SaveFile);
    EXPECT_EQ(dialogs.shown[0].file.defaultExt, "bmp");
    EXPECT_TRUE(dialogs.shown[0].file.filter.contains("*.bmp"));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));

    dialogs.answerFile(QString::fromStdString(folder.file("chart.bmp")));
    ChartToolClick(Button(17));
    QImage picture;
    ASSERT_TRUE(picture.load(QString::fromStdString(folder.file("chart.bmp")), "BMP"));
    EXPECT_EQ(picture.size(), chart->View->size());
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(Qt::white));

    dialogs.answerFile(QString::fromStdString(folder.file("missing/chart.bmp")));
    ChartToolClick(Button(17));
    EXPECT_EQ(dialogs.texts().back(), U("Невозможно сохранить файл!"));
}

// A picture that cannot reach the disk whole, or would replace what is not a file, is not saved;
// the file that was there stays as it was and the user is told.
TEST_F(ChartToolBar, ASaveThatCannotBeMadeWholeKeepsTheOldFileAndSaysSo) {
    testing_support::TempFolder folder;
    chart->resize(640, 360);
    chart->show();
    const std::string path = folder.file("chart.bmp");
    std::ofstream(path, std::ios::binary) << "the picture saved before";
    // A bitmap of 640 x 360 takes far more than 64 kB.
    EXPECT_TRUE(testing_support::RunWithFileSizeLimit(64 * 1024, [&] {
        dialogs.answerFile(QString::fromStdString(path));
        ChartToolClick(Button(17));
        return !dialogs.texts().empty() && dialogs.texts().back() == U("Невозможно сохранить файл!");
    }));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "the picture saved before");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "no temporary left";

    const std::string null = testing_support::DeviceLike(folder, "null");
    ASSERT_FALSE(null.empty());
    ASSERT_EQ(symlink(null.c_str(), folder.file("null.bmp").c_str()), 0);
    ASSERT_EQ(mkfifo(folder.file("fifo.bmp").c_str(), 0600), 0);
    for (const char* name : {"null.bmp", "fifo.bmp"}) {
        dialogs.shown.clear();
        dialogs.answerFile(QString::fromStdString(folder.file(name)));
        ChartToolClick(Button(17));
        ASSERT_FALSE(dialogs.texts().empty());
        EXPECT_EQ(dialogs.texts().back(), U("Невозможно сохранить файл!")) << name;
    }
    struct stat info;
    ASSERT_EQ(stat(null.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    ASSERT_EQ(lstat(folder.file("fifo.bmp").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(ChartToolBar, PrintsOnALandscapePageAndGivesThePrinterItsOrientationBack) {
    testing_support::TempFolder folder;
    chart->resize(640, 360);
    const std::string pdf = folder.file("chart.pdf");
    for (bool confirmed : {true, false}) {
        std::filesystem::remove(pdf);
        std::optional<QPageLayout::Orientation> asked;
        const ChartPrintDialog previous = SetChartPrintDialog([&](QPrinter& printer) {
            asked = printer.pageLayout().orientation();
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
            return confirmed;
        });
        ChartToolClick(Button(15));
        SetChartPrintDialog(previous);
        EXPECT_EQ(asked, QPageLayout::Landscape) << confirmed;
        EXPECT_EQ(chart->Printer().pageLayout().orientation(), QPageLayout::Portrait) << confirmed;
        QFile printed(QString::fromStdString(pdf));
        EXPECT_EQ(printed.open(QIODevice::ReadOnly) && printed.read(4) == "%PDF", confirmed) << confirmed;
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
