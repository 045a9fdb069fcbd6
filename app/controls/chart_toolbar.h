#pragma once

#include <array>
#include <optional>

#include "app/controls/graph_scale.h"
#include "app/controls/tool_chart.h"

class QObject;
class QToolBar;

// The tool bar of a chart: twenty positions, separators counted, that scroll and zoom the axes,
// return them to automatic scaling, print the chart and save it as a picture; the last one,
// "Очистить", belongs to the chart's owner.

inline constexpr int kChartToolPositions = 20;
inline constexpr int kChartClearPosition = 19;

// One scroll or zoom step of an axis: its minimum moves by minShare of the span, then its
// maximum by maxShare of what lies between the maximum and the new minimum.
struct AxisStep {
    ChartAxis axis;
    double minShare;
    double maxShare;
};

inline constexpr AxisStep kShiftLeft{ChartAxis::Bottom, -0.1, -0.1};
inline constexpr AxisStep kShiftRight{ChartAxis::Bottom, 0.1, 0.1};
inline constexpr AxisStep kShiftDown{ChartAxis::Left, -0.1, -0.1};
inline constexpr AxisStep kShiftUp{ChartAxis::Left, 0.1, 0.1};
inline constexpr AxisStep kZoomXIn{ChartAxis::Bottom, 0.05, -0.05};
inline constexpr AxisStep kZoomXOut{ChartAxis::Bottom, -0.05, 0.05};
inline constexpr AxisStep kZoomYIn{ChartAxis::Left, 0.05, -0.05};
inline constexpr AxisStep kZoomYOut{ChartAxis::Left, -0.05, 0.05};

// The axis after the step: manual from now on, its bounds moved (left as they were when the span
// is empty or the new bounds would not be numbers).
AxisScale StepAxis(const AxisScale& scale, const AxisStep& step);

// The single steps on a chart.
void ChartShiftLeft(TChart* chart);
void ChartShiftRight(TChart* chart);
void ChartShiftUp(TChart* chart);
void ChartShiftDown(TChart* chart);
void ChartZoomXIn(TChart* chart);
void ChartZoomXOut(TChart* chart);
void ChartZoomYIn(TChart* chart);
void ChartZoomYOut(TChart* chart);
void ChartAutoAxes(TChart* chart);
void ChartPrint(TChart* chart);
void ChartSaveBitmap(TChart* chart);

// Runs the action of the sender's position on its tool bar, when the sender is a tool button on
// a tool bar that lies in a chart; anything else does nothing.
void ChartToolClick(QObject* sender);

// Puts the tool bar on the chart with the names of its twenty positions (null for a separator)
// and the hints and pictures every chart tool bar has. Clicks are the caller's to connect.
QToolBar* AddChartToolBar(TChart* chart, const char* name, const std::array<const char*, kChartToolPositions>& buttons);
