#include "app/controls/tool_chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <utility>

#include "app/controls/graph_scale.h"

namespace {

constexpr int kMaxTicks = 8;
constexpr double kLeftLeastStep = 0.0001;
constexpr double kBottomLeastStep = 1.0;
// The chart library writes "..." for a left label once the axis's height, shared among its labels
// and the start value and less this padding above and below each, is lower than the label.
constexpr double kLabelPadding = 4.0;

// How many left labels the plot's height lets the chart write whole: the left axis reaches from
// the top of the chart to the bottom of the plot area.
int LeftLabelRoom(const QChart* chart, const QFont& font) {
    const QRectF plot = chart->plotArea();
    if (plot.isEmpty()) return kMaxTicks + 1;
    const double row = QFontMetricsF(font).height() + 1.0 + 2.0 * kLabelPadding;
    return std::clamp(static_cast<int>(plot.bottom() / row) - 1, 2, kMaxTicks + 1);
}

// The least and the greatest coordinate of every point, x or y; nothing without points.
std::optional<std::pair<double, double>> PointRange(const std::vector<QLineSeries*>& series, bool x) {
    std::optional<std::pair<double, double>> range;
    for (const QLineSeries* s : series) {
        for (const QPointF& point : s->points()) {
            const double value = x ? point.x() : point.y();
            if (!range) {
                range = std::pair{value, value};
            } else {
                range->first = std::min(range->first, value);
                range->second = std::max(range->second, value);
            }
        }
    }
    return range;
}

QCategoryAxis* NewAxis(const char* name) {
    auto* axis = new QCategoryAxis;
    axis->setObjectName(name);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    return axis;
}

}  // namespace

TChart::TChart(const char* name, const QString& title, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    View = new QChartView(this);
    View->setRenderHint(QPainter::Antialiasing);
    QChart* chart = View->chart();
    chart->setTitle(title);
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundRoundness(0);
    chart->legend()->setVisible(true);
    chart->legend()->setAlignment(Qt::AlignRight);
    View->setBackgroundBrush(Qt::white);
    BottomAxis = NewAxis("BottomAxis");
    LeftAxis = NewAxis("LeftAxis");
    chart->addAxis(BottomAxis, Qt::AlignBottom);
    chart->addAxis(LeftAxis, Qt::AlignLeft);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(View, 1);
    Rescale();
    // A chart made taller or shorter labels its left axis again, with as many labels as fit.
    connect(chart, &QChart::plotAreaChanged, this, [this] {
        const int labels = LeftLabelRoom(View->chart(), LeftAxis->labelsFont());
        if (labels == leftLabels_) return;
        leftLabels_ = labels;
        ShowScale(LeftAxis, left_, kLeftLeastStep, leftLabels_);
    });
}

TChart::~TChart() = default;

QLineSeries* TChart::AddSeries(const QString& title, const QColor& colour) {
    auto* series = new QLineSeries(this);
    series->setName(title);
    QPen pen(colour);
    pen.setWidth(2);
    series->setPen(pen);
    View->chart()->addSeries(series);
    series->attachAxis(BottomAxis);
    series->attachAxis(LeftAxis);
    Series.push_back(series);
    return series;
}

void TChart::AddPoint(int series, double value) {
    if (series < 0 || series >= static_cast<int>(Series.size())) return;
    QLineSeries* line = Series[static_cast<std::size_t>(series)];
    line->append(static_cast<double>(line->count()), value);
}

void TChart::ClearSeries() {
    for (QLineSeries* series : Series) series->clear();
    Rescale();
}

void TChart::SetScale(ChartAxis axis, const AxisScale& scale) {
    (axis == ChartAxis::Bottom ? bottom_ : left_) = scale;
    Rescale();
}

void TChart::Rescale() {
    if (bottom_.Automatic) {
        const auto range = PointRange(Series, true);
        bottom_ = range ? AxisScale{true, range->first, range->second} : AxisScale{};
    }
    if (left_.Automatic) {
        const auto range = PointRange(Series, false);
        left_ = range ? AxisScale{true, range->first, range->second} : AxisScale{};
    }
    ShowScale(BottomAxis, bottom_, kBottomLeastStep, 2 * kMaxTicks);
    leftLabels_ = LeftLabelRoom(View->chart(), LeftAxis->labelsFont());
    ShowScale(LeftAxis, left_, kLeftLeastStep, leftLabels_);
}

void TChart::ShowScale(QCategoryAxis* axis, const AxisScale& scale, double leastStep, int maxLabels) {
    double minimum = scale.Minimum;
    double maximum = scale.Maximum;
    // The chart cannot draw an empty span; a single value is shown with room on both sides.
    if (!(maximum > minimum)) {
        minimum -= 1.0;
        maximum += 1.0;
    }
    for (const QString& label : axis->categoriesLabels()) axis->remove(label);
    axis->setRange(minimum, maximum);
    axis->setStartValue(minimum);
    const double step = std::max(leastStep, TickInterval(maximum - minimum, std::min(kMaxTicks, maxLabels - 1)));
    for (double tick : AxisTicks(minimum, maximum, step, maxLabels)) axis->append(AxisNumberText(tick), tick);
}

void TChart::SetToolBar(QToolBar* bar) {
    bar->setParent(this);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, bar);
}

QPrinter& TChart::Printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}
