#include "app/controls/frame_graph.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QLineSeries>
#include <QPainter>
#include <QPalette>
#include <QPrinter>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cstddef>

#include "app/controls/graph_plot.h"
#include "app/controls/graph_series.h"
#include "app/model/current_row.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "link/exchange_state.h"
#include "platform/class_library/components.h"
#include "platform/class_library/utf8_literal.h"

namespace {

constexpr std::size_t kPressure = block::Pressure;
constexpr std::size_t kCurrent = block::Current;
constexpr std::size_t kError = block::Error;

double BlockValue(const std::uint8_t* row, int k, std::size_t field) { return ReadFloat32(row, MeasBlockOffset(k) + field); }

struct SeriesForm {
    const char* name;
    const char* title;
    QColor colour;
    bool active;
};

const QColor kRed(255, 0, 0);
const QColor kSky(0, 128, 255);
const QColor kBlack(0, 0, 0);
const QColor kTeal(0, 128, 128);
const QColor kPurple(128, 0, 128);
const QColor kDarkGreen(0, 128, 64);
const QColor kGreen(0, 128, 0);

const SeriesForm kSeriesForms[TFrameGraph::kSeriesCount] = {
    {"LineSeries1", "Эталон", kRed, true},       {"LineSeries2", "Канал 1", kSky, true},
    {"LineSeries10", "Канал 2", kBlack, true},   {"LineSeries11", "Канал 3", kTeal, true},
    {"LineSeries12", "Канал 4", kPurple, true},  {"LineSeries3", "Канал 1", kSky, false},
    {"LineSeries4", "Канал 2", kBlack, false},   {"LineSeries5", "Канал 3", kDarkGreen, false},
    {"LineSeries6", "Канал 4", kPurple, false},  {"Series6", "Канал 1", kSky, false},
    {"Series7", "Канал 2", kBlack, false},       {"Series8", "Канал 3", kGreen, false},
    {"Series9", "Канал 4", kPurple, false},
};

constexpr int kMaxBottomLabels = 10;
constexpr int kMaxLeftTicks = 8;

// A caption is the button's text, not a picture of it, so the button is as wide as the font needs.
void ShowCaption(QToolButton* button, const QString& caption) {
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setText(caption);
    button->setMinimumWidth(32);
    button->setMaximumWidth(QWIDGETSIZE_MAX);
}

}  // namespace

TFrameGraph::TFrameGraph(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameGraph1");
    platform::MarkAsOwner(this);

    gr = new QChartView(this);
    gr->setObjectName("gr");
    gr->setRenderHint(QPainter::Antialiasing);
    gr->setRubberBand(QChartView::RectangleRubberBand);
    QChart* chart = gr->chart();
    chart->setTitle(U("График"));
    chart->legend()->hide();
    chart->setBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundVisible(true);
    chart->setBackgroundRoundness(0);
    gr->setBackgroundBrush(Qt::white);

    BottomAxis = new QCategoryAxis;
    BottomAxis->setObjectName("BottomAxis");
    BottomAxis->setTitleText(U("время, мин."));
    BottomAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    LeftAxis = new QValueAxis;
    LeftAxis->setObjectName("LeftAxis");
    LeftAxis->setTickType(QValueAxis::TicksDynamic);
    LeftAxis->setTickAnchor(0.0);
    chart->addAxis(BottomAxis, Qt::AlignBottom);
    chart->addAxis(LeftAxis, Qt::AlignLeft);

    for (int i = 0; i < kSeriesCount; ++i) {
        const SeriesForm& form = kSeriesForms[i];
        Series[i] = new GraphSeries(form.name, U(form.title), form.colour, form.active, this);
    }
    zoomDomain_ = new QLineSeries(chart);
    chart->addSeries(zoomDomain_);
    zoomDomain_->attachAxis(BottomAxis);
    zoomDomain_->attachAxis(LeftAxis);
    Plot = new GraphPlot(chart, BottomAxis, LeftAxis, std::vector<GraphSeries*>(Series.begin(), Series.end()));
    Plot->SetArea(chart->plotArea());
    connect(chart, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
        Plot->SetArea(area);
        Plot->update();
    });
    LineSeries1 = Series[0];
    LineSeries2 = Series[1];
    LineSeries10 = Series[2];
    LineSeries11 = Series[3];
    LineSeries12 = Series[4];
    LineSeries3 = Series[5];
    LineSeries4 = Series[6];
    LineSeries5 = Series[7];
    LineSeries6 = Series[8];
    Series6 = Series[9];
    Series7 = Series[10];
    Series8 = Series[11];
    Series9 = Series[12];

    ArchiveGraphToolBar = new QToolBar(this);
    ArchiveGraphToolBar->setObjectName("ArchiveGraphToolBar");
    ArchiveGraphToolBar->setMovable(false);
    ArchiveGraphToolBar->setIconSize(QSize(24, 24));
    const QStyle* look = style();
    ClearGraph = AddToolButton("ClearGraph", "Очистить график");
    ClearGraph->setIcon(look->standardIcon(QStyle::SP_TrashIcon));
    ArchiveGraphToolBar->addSeparator();
    Left = AddToolButton("Left", "Сдвиг влево на 10%");
    Left->setIcon(look->standardIcon(QStyle::SP_ArrowLeft));
    Right = AddToolButton("Right", "Сдвиг вправо на 10%");
    Right->setIcon(look->standardIcon(QStyle::SP_ArrowRight));
    Up = AddToolButton("Up", "Сдвиг вверх на 10%");
    Up->setIcon(look->standardIcon(QStyle::SP_ArrowUp));
    Down = AddToolButton("Down", "Сдвиг вниз на 10%");
    Down->setIcon(look->standardIcon(QStyle::SP_ArrowDown));
    ArchiveGraphToolBar->addSeparator();
    ZoomIn = AddToolButton("ZoomIn", "Увеличить масштаб на 10%");
    ShowCaption(ZoomIn, QStringLiteral("+"));
    ZoomOut = AddToolButton("ZoomOut", "Уменьшить масштаб на 10%");
    ShowCaption(ZoomOut, U("−"));
    NoZoom = AddToolButton("NoZoom", "Масштаб по умолчанию (100%)");
    ShowCaption(NoZoom, QStringLiteral("100%"));
    ArchiveGraphToolBar->addSeparator();
    Print = AddToolButton("Print", "Распечатать график");
    ShowCaption(Print, U("Печать"));
    ArchiveGraphToolBar->addSeparator();
    Save = AddToolButton("Save", nullptr);
    Save->setIcon(look->standardIcon(QStyle::SP_DialogSaveButton));
    ArchiveGraphToolBar->addSeparator();

    EGLast = new QSpinBox(this);
    EGLast->setObjectName("EGLast");
    EGLast->setRange(0, 99999);
    EGLast->setSingleStep(10);
    EGLast->setToolTip(U("Отображать только последние значения"));
    EGLast->setAutoFillBackground(true);
    ArchiveGraphToolBar->addWidget(EGLast);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(ArchiveGraphToolBar);
    layout->addWidget(gr, 1);

    connect(Timer1, &QTimer::timeout, this, &TFrameGraph::Timer1Timer);
    connect(EGLast, &QSpinBox::valueChanged, this, &TFrameGraph::EGLastChange);
    connect(BottomAxis, &QValueAxis::rangeChanged, this,
            [this](qreal minimum, qreal maximum) { AxisRangeChanged(BottomAxis, minimum, maximum); });
    connect(LeftAxis, &QValueAxis::rangeChanged, this,
            [this](qreal minimum, qreal maximum) { AxisRangeChanged(LeftAxis, minimum, maximum); });

    EGLastChange();
}

TFrameGraph::~TFrameGraph() {
    // The chart deletes the plot with itself; nothing it says while it goes may reach the plot.
    disconnect(gr->chart(), nullptr, this, nullptr);
}

QToolButton* TFrameGraph::AddToolButton(const char* name, const char* hint) {
    auto* button = new QToolButton(ArchiveGraphToolBar);
    button->setObjectName(name);
    button->setText(QString::fromLatin1(name));
    if (hint) button->setToolTip(U(hint));
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setFixedWidth(32);
    ArchiveGraphToolBar->addWidget(button);
    connect(button, &QToolButton::clicked, this, [this, button] { LeftClick(button); });
    return button;
}

void TFrameGraph::SetChannelBoxes(QCheckBox* refBox, QCheckBox* channel1, QCheckBox* channel2, QCheckBox* channel3,
                                  QCheckBox* channel4) {
    RefBox = refBox;
    ChannelBox = {channel1, channel2, channel3, channel4};
}

void TFrameGraph::SetGraphType(int type) {
    static const char* const kTitles[] = {"График давления, кПа", "График тока, мА", "График погрешности, %"};
    gr->chart()->setTitle(type >= 0 && type <= 2 ? U(kTitles[type]) : QString());
    GraphType = type;
    UpdateSeriesVisibility();
}

void TFrameGraph::UpdateSeriesVisibility() {
    // A box the page has not handed over, or one already gone, counts as not ticked.
    const auto ticked = [](const QPointer<QCheckBox>& box) { return box && box->isChecked(); };
    Series[0]->SetActive(GraphType == 0 && ticked(RefBox));
    for (int c = 1; c <= 4; ++c) {
        const bool shown = ticked(ChannelBox[static_cast<std::size_t>(c - 1)]);
        Series[c]->SetActive(shown && GraphType == 0);
        Series[4 + c]->SetActive(shown && GraphType == 1);
        Series[8 + c]->SetActive(shown && GraphType == 2);
    }
    ScalesFollowData();
}

void TFrameGraph::ClearChart() { ClearSeries(); }

void TFrameGraph::ClearSeries() {
    for (GraphSeries* series : Series) series->Clear();
    ScalesFollowData();
}

void TFrameGraph::EnableSampling(bool on) {
    if (on && WorkState == WorkMeasurement) {
        Timer1->start();
    } else {
        Timer1->stop();
    }
}

void TFrameGraph::Timer1Timer() {
    // A start that failed, or a cycle that ended without the page's stop, leaves the timer on.
    if (WorkState != WorkMeasurement) {
        EnableSampling(false);
        return;
    }
    Row = Records.currentRow ? Records.currentRow() : nullptr;
    const std::uint8_t* setup = Records.setupRecord ? Records.setupRecord() : nullptr;
    // Without either record there is nothing to sample; every series gets its point or none does,
    // so the series stay aligned by index.
    if (Row == nullptr || setup == nullptr) return;

    const int n = Series[0]->Count();
    PointLabel = PointLabelText(n);
    AddPoint(Series[0], BlockValue(Row, 0, kPressure));
    for (int c = 1; c <= 4; ++c) {
        const double factor = ChannelFloat(setup, c, channel::UnitsFactor);
        AddPoint(Series[c], BlockValue(Row, c, kPressure) * factor);
        AddPoint(Series[4 + c], BlockValue(Row, c, kCurrent));
        AddPoint(Series[8 + c], BlockValue(Row, c, kError));
    }
    ScalesFollowData();
}

void TFrameGraph::AddPoint(GraphSeries* series, double value) {
    if (series == nullptr) return;
    if (IsGapValue(value)) {
        series->AddNull();
    } else {
        series->Add(value);
    }
}

void TFrameGraph::LeftClick(QObject* sender) { ToolButtonAction(sender); }

void TFrameGraph::ToolButtonAction(QObject* sender) {
    const auto* button = qobject_cast<const QToolButton*>(sender);
    if (button == nullptr) return;
    const QString name = button->objectName();
    if (name == u"ClearGraph") {
        ClearChart();
    } else if (name == u"Left") {
        ShiftLeft();
    } else if (name == u"Right") {
        ShiftRight();
    } else if (name == u"Up") {
        ShiftUp();
    } else if (name == u"Down") {
        ShiftDown();
    } else if (name == u"ZoomIn") {
        ZoomXInStep();
        ZoomYInStep();
    } else if (name == u"ZoomOut") {
        ZoomXOutStep();
        ZoomYOutStep();
    } else if (name == u"NoZoom") {
        ResetZoom();
    } else if (name == u"Print") {
        PrintChart();
    } else if (name == u"Save") {
        SaveChartBitmap();
    }
}

void TFrameGraph::EGLastChange() {
    int n = EGLast->value();
    if (n < 2 && n != 0) {
        const QSignalBlocker quiet(EGLast);
        EGLast->setValue(0);
        n = 0;
    }
    QPalette colours = EGLast->palette();
    colours.setColor(QPalette::Base, n != 0 ? QColor(Qt::white) : palette().color(QPalette::Button));
    EGLast->setPalette(colours);
    ApplyLastWindow();
}

int TFrameGraph::LargestCount() const {
    int count = 0;
    for (const GraphSeries* series : Series) count = std::max(count, series->Count());
    return count;
}

void TFrameGraph::ApplyLastWindow() {
    bottom_ = LastSamplesScale(LargestCount(), EGLast->value());
    ScalesFollowData();
}

void TFrameGraph::ShiftLeft() {
    bottom_ = StepScale(bottom_, -0.1, -0.1);
    ShowScales();
}

void TFrameGraph::ShiftRight() {
    bottom_ = StepScale(bottom_, 0.1, 0.1);
    ShowScales();
}

void TFrameGraph::ShiftUp() {
    left_ = StepScale(left_, 0.1, 0.1);
    ShowScales();
}

void TFrameGraph::ShiftDown() {
    left_ = StepScale(left_, -0.1, -0.1);
    ShowScales();
}

void TFrameGraph::ZoomXInStep() {
    bottom_ = StepScale(bottom_, 0.1, -0.1);
    ShowScales();
}

void TFrameGraph::ZoomXOutStep() {
    bottom_ = StepScale(bottom_, -0.1, 0.1);
    ShowScales();
}

void TFrameGraph::ZoomYInStep() {
    left_ = StepScale(left_, 0.1, -0.1);
    ShowScales();
}

void TFrameGraph::ZoomYOutStep() {
    left_ = StepScale(left_, -0.1, 0.1);
    ShowScales();
}

void TFrameGraph::ResetZoom() {
    bottom_.Automatic = true;
    left_.Automatic = true;
    ScalesFollowData();
}

void TFrameGraph::ScalesFollowData() {
    if (bottom_.Automatic) {
        int count = 0;
        for (const GraphSeries* series : Series) {
            if (series->Active()) count = std::max(count, series->Count());
        }
        bottom_ = {true, 0.0, static_cast<double>(std::max(0, count - 1))};
    }
    if (left_.Automatic) {
        std::optional<std::pair<double, double>> range;
        for (const GraphSeries* series : Series) {
            const auto values = series->ValueRange();
            if (!series->Active() || !values) continue;
            if (range) {
                range->first = std::min(range->first, values->first);
                range->second = std::max(range->second, values->second);
            } else {
                range = values;
            }
        }
        left_ = range ? AxisScale{true, range->first, range->second} : AxisScale{};
    }
    ShowScales();
}

void TFrameGraph::ShowScales() {
    const bool wasShowing = showingScales_;
    showingScales_ = true;
    ShowScale(BottomAxis, bottom_);
    ShowScale(LeftAxis, left_);
    showingScales_ = wasShowing;
    LabelBottomAxis();
    Plot->update();
}

void TFrameGraph::ShowScale(QValueAxis* axis, const AxisScale& scale) {
    double minimum = scale.Minimum;
    double maximum = scale.Maximum;
    // The chart cannot draw an empty span; a single value is shown with room on both sides.
    if (!(maximum > minimum)) {
        minimum -= 1.0;
        maximum += 1.0;
    }
    axis->setRange(minimum, maximum);
    if (axis == LeftAxis) LeftAxis->setTickInterval(TickInterval(maximum - minimum, kMaxLeftTicks));
}

void TFrameGraph::LabelBottomAxis() {
    const std::vector<int> points = LabelledPoints(BottomAxis->min(), BottomAxis->max(), LargestCount(),
                                                   kMaxBottomLabels);
    QStringList labels;
    for (int point : points) labels << PointLabelText(point);
    if (labels == BottomAxis->categoriesLabels() && BottomAxis->startValue() == BottomAxis->min()) return;
    const bool wasShowing = showingScales_;
    showingScales_ = true;
    for (const QString& label : BottomAxis->categoriesLabels()) BottomAxis->remove(label);
    BottomAxis->setStartValue(BottomAxis->min());
    for (std::size_t i = 0; i < points.size(); ++i) BottomAxis->append(labels[static_cast<qsizetype>(i)], points[i]);
    showingScales_ = wasShowing;
}

void TFrameGraph::AxisRangeChanged(QValueAxis* axis, double minimum, double maximum) {
    if (showingScales_) return;
    // The user zoomed or scrolled with the mouse: the axis keeps what the user chose.
    AxisScale& scale = axis == BottomAxis ? bottom_ : left_;
    scale = {false, minimum, maximum};
    if (axis == BottomAxis) LabelBottomAxis();
    Plot->update();
}

QPrinter& TFrameGraph::Printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TFrameGraph::PrintChart() { PrintChartView(Printer(), gr, this); }

void TFrameGraph::SaveChartBitmap() { SaveChartPicture(gr, SaveDialog1); }
