#pragma once

#include <QString>
#include <vector>

// The arithmetic of the graph frame's axes and labels, apart from the widgets.

// One axis of the chart: automatic scaling follows the plotted points, manual keeps its bounds.
struct AxisScale {
    bool Automatic = true;
    double Minimum = 0.0;
    double Maximum = 0.0;
};

// The time label of the sample that follows n others at one sample a second: whole minutes, a
// point and hundredths of a minute ("1.50" after 90 samples).
QString PointLabelText(int n);

// A sample of this value is plotted as a gap, not a point: not finite, or of magnitude 9e25 and
// more (the instrument's way of saying there is no value).
bool IsGapValue(double value);

// A scroll or zoom step: the minimum moves by minShare of the span, then the maximum by maxShare
// of what lies between it and the new minimum. The axis becomes manual; bounds that would not be
// finite numbers stay as they were.
AxisScale StepScale(const AxisScale& scale, double minShare, double maxShare);

// The bottom axis that shows only the last n of count samples; automatic when n is 0.
AxisScale LastSamplesScale(int count, int n);

// The points (indices 0..count-1) whose labels the bottom axis shows between minimum and
// maximum: every step-th point, the step a whole number of points chosen so that at most
// maxLabels appear.
std::vector<int> LabelledPoints(double minimum, double maximum, int count, int maxLabels);

// The distance between the left axis's ticks over a span: 1, 2 or 5 times a power of ten, at
// least 0.0001, so that at most maxTicks intervals fit.
double TickInterval(double span, int maxTicks);

// The values between minimum and maximum, inclusive, that are whole multiples of interval, at
// most maxCount of them from the lower end; none for bounds or an interval that are not usable.
std::vector<double> AxisTicks(double minimum, double maximum, double interval, int maxCount);

// An axis label as "#,##0.######" writes it: rounded to six decimals, without trailing zeros,
// the integer part grouped by threes with the Russian locale's no-break space ("-1 234.5").
QString AxisNumberText(double value);
