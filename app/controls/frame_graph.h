#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/controls/chart_output.h"
#include "app/controls/graph_scale.h"
#include "platform/class_library/dialogs.h"

class GraphPlot;
class GraphSeries;
class QCategoryAxis;
class QChartView;
class QCheckBox;
class QLineSeries;
class QObject;
class QPrinter;
class QSpinBox;
class QTimer;
class QToolBar;
class QToolButton;
class QValueAxis;

// Where the graph frame samples from: the measurement records, fetched at every tick.
struct GraphRecordHooks {
    std::function<const std::uint8_t*()> currentRow;
    std::function<const std::uint8_t*()> setupRecord;
};

// The graph frame of the measurement page: while a measurement runs it samples the page's
// CurrentRow once a second and plots, against time, the pressures (kPa), the channels' currents
// (mA) or their errors (%); its tool bar scrolls, zooms, prints and saves the chart.
class TFrameGraph : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSeriesCount = 13;

    explicit TFrameGraph(QWidget* parent = nullptr);
    ~TFrameGraph() override;

    // What the measurement page drives.
    void SetChannelBoxes(QCheckBox* refBox, QCheckBox* channel1, QCheckBox* channel2, QCheckBox* channel3,
                         QCheckBox* channel4);
    void SetGraphType(int type);
    void UpdateSeriesVisibility();
    void ClearChart();
    void ClearSeries();
    // Sampling runs only while the measurement cycle is the running work: switching it on at any
    // other time leaves it off.
    void EnableSampling(bool on);

    // Handlers.
    void Timer1Timer();
    void LeftClick(QObject* sender);
    void ToolButtonAction(QObject* sender);
    void EGLastChange();

    void AddPoint(GraphSeries* series, double value);
    void ApplyLastWindow();

    // The tool bar's steps.
    void ShiftLeft();
    void ShiftRight();
    void ShiftUp();
    void ShiftDown();
    void ZoomXInStep();
    void ZoomXOutStep();
    void ZoomYInStep();
    void ZoomYOutStep();
    void ResetZoom();
    void PrintChart();
    void SaveChartBitmap();

    // The axes as the steps see them; a chart the user zoomed with the mouse is manual here too.
    const AxisScale& BottomScale() const { return bottom_; }
    const AxisScale& LeftScale() const { return left_; }

    QChartView* gr;
    QCategoryAxis* BottomAxis;  // shows the points' time labels
    QValueAxis* LeftAxis;
    GraphPlot* Plot;  // draws the series, thinned to the plot's pixels
    QToolBar* ArchiveGraphToolBar;
    QToolButton* ClearGraph;
    QToolButton* Left;
    QToolButton* Right;
    QToolButton* Up;
    QToolButton* Down;
    QToolButton* ZoomIn;
    QToolButton* ZoomOut;
    QToolButton* NoZoom;
    QToolButton* Print;
    QToolButton* Save;
    QSpinBox* EGLast;
    QTimer* Timer1;
    platform::FileDialogSpec SaveDialog1;

    // The series in chart order: the reference and the channels' pressures, currents, errors.
    GraphSeries* LineSeries1;
    GraphSeries* LineSeries2;
    GraphSeries* LineSeries10;
    GraphSeries* LineSeries11;
    GraphSeries* LineSeries12;
    GraphSeries* LineSeries3;
    GraphSeries* LineSeries4;
    GraphSeries* LineSeries5;
    GraphSeries* LineSeries6;
    GraphSeries* Series6;
    GraphSeries* Series7;
    GraphSeries* Series8;
    GraphSeries* Series9;
    std::array<GraphSeries*, kSeriesCount> Series{};

    int GraphType = 0;  // 0 pressure, 1 current, 2 error
    QString PointLabel;  // the time label of the sample being added
    QPointer<QCheckBox> RefBox;
    std::array<QPointer<QCheckBox>, 4> ChannelBox;
    const std::uint8_t* Row = nullptr;  // the page's CurrentRow, fetched at every tick; never owned
    GraphRecordHooks Records;

private:
    QToolButton* AddToolButton(const char* name, const char* hint);
    int LargestCount() const;
    // Automatic axes take the range of the active series' points; then the chart shows both.
    void ScalesFollowData();
    void ShowScales();
    void ShowScale(QValueAxis* axis, const AxisScale& scale);
    void LabelBottomAxis();
    void AxisRangeChanged(QValueAxis* axis, double minimum, double maximum);
    QPrinter& Printer();

    AxisScale bottom_;
    AxisScale left_;
    bool showingScales_ = false;  // range changes are the frame's own, not the user's mouse zoom
    std::unique_ptr<QPrinter> printer_;
    // An empty line series on both axes: the chart's mouse zoom moves the axes through the series
    // that are attached to them.
    QLineSeries* zoomDomain_;
};
