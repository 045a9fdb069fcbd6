#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "app/controls/graph_scale.h"

class QCategoryAxis;
class QChartView;
class QLineSeries;
class QPrinter;
class QToolBar;

enum class ChartAxis { Bottom, Left };

// A chart of line series over a bottom and a left axis, with its tool bar above the plot. An
// automatic axis spans the plotted points; a manual one keeps the bounds it was given until it is
// made automatic again. The axes are labelled "#,##0.######", the left one in steps of at least
// 0.0001 and with no more labels than its height shows whole, the bottom one in whole steps.
class TChart : public QWidget {
    Q_OBJECT
public:
    TChart(const char* name, const QString& title, QWidget* parent);
    ~TChart() override;

    // A series drawn as a line of width 2 and shown in the legend under its title.
    QLineSeries* AddSeries(const QString& title, const QColor& colour);
    // Appends a point at the series' next free index. The axes follow at the next Rescale, so a
    // whole plot is scaled once.
    void AddPoint(int series, double value);
    // Every series loses its points; automatic axes follow.
    void ClearSeries();
    // Automatic axes take the range of the points; then both axes show their bounds.
    void Rescale();

    const AxisScale& Scale(ChartAxis axis) const { return axis == ChartAxis::Bottom ? bottom_ : left_; }
    void SetScale(ChartAxis axis, const AxisScale& scale);

    // The tool bar goes above the plot; the chart becomes its parent.
    void SetToolBar(QToolBar* bar);
    // The printer the chart prints on; it keeps its settings from one print to the next.
    QPrinter& Printer();

    QChartView* View;
    QCategoryAxis* BottomAxis;
    QCategoryAxis* LeftAxis;
    std::vector<QLineSeries*> Series;

private:
    void ShowScale(QCategoryAxis* axis, const AxisScale& scale, double leastStep, int maxLabels);

    AxisScale bottom_;
    int leftLabels_ = 0;  // as many as the left axis writes whole at the chart's height
    AxisScale left_;
    std::unique_ptr<QPrinter> printer_;
};
