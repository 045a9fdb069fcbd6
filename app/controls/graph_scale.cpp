#include "app/controls/graph_scale.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/text/number_format.h"

QString PointLabelText(int n) {
    const int minutes = n / 60;
    const int hundredths = (n % 60) * 100 / 60;
    return QString::number(minutes) + u'.' + QStringLiteral("%1").arg(hundredths, 2, 10, QChar(u'0'));
}

bool IsGapValue(double value) { return !std::isfinite(value) || std::fabs(value) >= 9e25; }

AxisScale StepScale(const AxisScale& scale, double minShare, double maxShare) {
    const double a = scale.Minimum;
    const double b = scale.Maximum;
    const double newMinimum = a + minShare * (b - a);
    const double newMaximum = b + maxShare * (b - newMinimum);
    if (!std::isfinite(newMinimum) || !std::isfinite(newMaximum) || newMinimum > newMaximum)
        return {false, a, b};
    return {false, newMinimum, newMaximum};
}

AxisScale LastSamplesScale(int count, int n) {
    if (n == 0) return {};
    return {false, static_cast<double>(std::max(0, count - n)), static_cast<double>(std::max(0, count - 1))};
}

std::vector<int> LabelledPoints(double minimum, double maximum, int count, int maxLabels) {
    std::vector<int> points;
    if (count <= 0 || maxLabels <= 0 || !std::isfinite(minimum) || !std::isfinite(maximum)) return points;
    const double first = std::max(0.0, std::ceil(minimum));
    const double last = std::min(static_cast<double>(count - 1), std::floor(maximum));
    if (first > last) return points;
    const auto lo = static_cast<int>(first);
    const auto hi = static_cast<int>(last);

    // Steps that read well as times at a sample a second: seconds, then minutes.
    static constexpr int kSteps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600};
    long long step = 0;
    for (int candidate : kSteps) {
        if ((hi / candidate) - ((lo + candidate - 1) / candidate) + 1 <= maxLabels) {
            step = candidate;
            break;
        }
    }
    if (step == 0) {
        step = 7200;
        while ((hi / step) - ((lo + step - 1) / step) + 1 > maxLabels) step *= 2;
    }
    for (long long i = (lo + step - 1) / step * step; i <= hi; i += step) points.push_back(static_cast<int>(i));
    return points;
}

double TickInterval(double span, int maxTicks) {
    constexpr double kSmallest = 0.0001;
    if (!std::isfinite(span) || span <= 0.0 || maxTicks <= 0) return kSmallest;
    const double rough = span / maxTicks;
    if (rough <= kSmallest) return kSmallest;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double multiple : {1.0, 2.0, 5.0, 10.0}) {
        if (multiple * power >= rough) return multiple * power;
    }
    return 10.0 * power;
}

std::vector<double> AxisTicks(double minimum, double maximum, double interval, int maxCount) {
    std::vector<double> ticks;
    if (!std::isfinite(minimum) || !std::isfinite(maximum) || !std::isfinite(interval) || interval <= 0.0 ||
        minimum > maximum)
        return ticks;
    // A tick that lies on a bound only by rounding still counts.
    const double slack = interval * 1e-9;
    const double first = std::ceil((minimum - slack) / interval);
    for (double k = first; static_cast<int>(ticks.size()) < maxCount; ++k) {
        const double value = k * interval;
        if (value > maximum + slack) break;
        ticks.push_back(value);
    }
    return ticks;
}

QString AxisNumberText(double value) {
    if (!std::isfinite(value)) return {};
    std::string text = platform::FormatFixed(value, 6);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    const bool negative = text.front() == '-';
    if (negative) text.erase(0, 1);
    const std::size_t point = std::min(text.find('.'), text.size());
    QString grouped;
    for (std::size_t i = 0; i < point; ++i) {
        if (i > 0 && (point - i) % 3 == 0) grouped += QChar(0x00A0);
        grouped += QLatin1Char(text[i]);
    }
    grouped += QString::fromLatin1(text.substr(point));
    // A value that rounds to zero has no sign.
    if (negative && text != "0") grouped.prepend(QLatin1Char('-'));
    return grouped;
}
