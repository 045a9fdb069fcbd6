#pragma once

#include <QPointF>
#include <vector>

// The lines drawn for one series of samples: the samples lie at x = their index, a gap (NaN)
// ends a line, and they are thinned to what the plot's pixel columns can show. The samples are
// taken in columns of a whole power of two of samples; of the samples of one column between two
// gaps only the first, the least, the greatest and the last are kept, in their order, so every
// column shows the extremes it holds and the lines join where the samples do.
using DrawnLine = std::vector<QPointF>;

// Samples a column: the least power of two that puts the span into at most `columns` columns;
// 1 when every sample has a column of its own.
int ColumnStep(double span, double columns);

class ThinnedLines {
  public:
    // Makes the lines cover the samples from minimum to maximum (x, as the bottom axis shows them)
    // with one more column on either side, so that the lines run on to the plot's edges, for a
    // plot `pixels` wide; a column is at least two pixels, the width of the line. While neither the step nor
    // the first column changes, only the samples that came since the last call are taken: a call costs what
    // is new, not what is kept.
    void Cover(const std::vector<double>& samples, double minimum, double maximum, double pixels);
    void Clear();

    const std::vector<DrawnLine>& Lines() const { return lines_; }
    int Step() const { return step_; }

  private:
    void Take(long long index, double value);
    void Seal();

    // The samples of the open column since the last gap.
    struct Run {
        bool any = false;
        long long first = 0, least = 0, greatest = 0, last = 0;
        double firstValue = 0, leastValue = 0, greatestValue = 0, lastValue = 0;
    };

    std::vector<DrawnLine> lines_;
    int step_ = 0;           // 0: nothing taken
    long long start_ = 0;    // the first sample taken, on a column's bound
    long long next_ = 0;     // the next sample to take
    long long column_ = -1;  // the column of the run
    Run run_;
    bool lineOpen_ = false;      // the last sample taken was a value: the next one continues its line
    std::size_t runPoints_ = 0;  // points at the end of the last line that the run put there
};
