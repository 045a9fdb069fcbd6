#include "app/controls/graph_thinning.h"

#include <array>
#include <cmath>
#include <utility>

int ColumnStep(double span, double columns) {
    if (!(columns >= 1.0)) columns = 1.0;
    if (!std::isfinite(span) || !(span > columns)) return 1;
    constexpr int kLargest = 1 << 30;
    int step = 1;
    while (step < kLargest && step * columns < span) step *= 2;
    return step;
}

void ThinnedLines::Cover(const std::vector<double>& samples, double minimum, double maximum, double pixels) {
    const auto count = static_cast<long long>(samples.size());
    if (count == 0 || !std::isfinite(minimum) || !std::isfinite(maximum) || maximum < minimum) {
        Clear();
        return;
    }
    constexpr double kPixelsAColumn = 2.0;
    const int step = ColumnStep(maximum - minimum, pixels / kPixelsAColumn);
    const double low = std::floor(minimum) - step;
    const double high = std::ceil(maximum) + step;
    if (high < 0.0 || low > static_cast<double>(count - 1)) {
        Clear();
        return;
    }
    const long long first = low < 0.0 ? 0 : static_cast<long long>(low);
    const long long last = high > static_cast<double>(count - 1) ? count - 1 : static_cast<long long>(high);
    const long long start = first / step * step;
    if (step != step_ || start != start_ || next_ > count) {
        Clear();
        step_ = step;
        start_ = start;
        next_ = start;
    }
    for (; next_ <= last; ++next_) Take(next_, samples[static_cast<std::size_t>(next_)]);
}

void ThinnedLines::Clear() {
    lines_.clear();
    step_ = 0;
    start_ = 0;
    next_ = 0;
    column_ = -1;
    run_ = Run{};
    lineOpen_ = false;
    runPoints_ = 0;
}

void ThinnedLines::Seal() {
    // The run's points stay as they are; the next value begins a run of its own.
    run_.any = false;
    runPoints_ = 0;
}

void ThinnedLines::Take(long long index, double value) {
    const long long column = index / step_;
    if (column != column_) {
        Seal();
        column_ = column;
    }
    if (!std::isfinite(value)) {
        Seal();
        lineOpen_ = false;
        return;
    }
    if (!lineOpen_) {
        lines_.emplace_back();
        lineOpen_ = true;
    }
    Run& run = run_;
    if (!run.any) {
        run = Run{true, index, index, index, index, value, value, value, value};
    } else {
        if (value < run.leastValue) {
            run.least = index;
            run.leastValue = value;
        }
        if (value > run.greatestValue) {
            run.greatest = index;
            run.greatestValue = value;
        }
        run.last = index;
        run.lastValue = value;
    }

    // The first and the last sample bound the run; the least and the greatest lie between, in
    // either order.
    const bool leastFirst = run.least <= run.greatest;
    const std::array<std::pair<long long, double>, 4> kept = {{
        {run.first, run.firstValue},
        leastFirst ? std::pair{run.least, run.leastValue} : std::pair{run.greatest, run.greatestValue},
        leastFirst ? std::pair{run.greatest, run.greatestValue} : std::pair{run.least, run.leastValue},
        {run.last, run.lastValue},
    }};
    DrawnLine& line = lines_.back();
    line.resize(line.size() - runPoints_);
    runPoints_ = 0;
    long long previous = -1;
    for (const auto& [at, y] : kept) {
        if (at == previous) continue;
        previous = at;
        line.emplace_back(static_cast<double>(at), y);
        ++runPoints_;
    }
}
