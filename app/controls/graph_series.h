#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "app/controls/graph_thinning.h"

// One plotted quantity of the graph frame: its samples, each a value or a gap, with the sample's
// index as x. Every sample is kept; what is drawn is the samples thinned to the plot's pixel
// columns over the range in view, and only while the series is active.
class GraphSeries : public QObject {
    Q_OBJECT
public:
    GraphSeries(const char* name, const QString& title, const QColor& colour, bool active, QObject* parent);
    ~GraphSeries() override;

    void Add(double value);
    void AddNull();
    void Clear();
    int Count() const { return static_cast<int>(values_.size()); }
    // The value of sample index; nothing for a gap or an index outside the series.
    std::optional<double> ValueAt(int index) const;
    // The least and the greatest value; nothing while the series holds none.
    std::optional<std::pair<double, double>> ValueRange() const;

    bool Active() const { return active_; }
    // An inactive series drops its drawn lines and takes no samples into them.
    void SetActive(bool active);
    const QString& Title() const { return title_; }
    const QColor& Colour() const { return colour_; }

    // Brings the drawn lines to the samples between minimum and maximum on a plot `pixels`
    // wide; an inactive series draws nothing.
    void Thin(double minimum, double maximum, double pixels);
    // The lines as they were last thinned, in the samples' coordinates.
    const std::vector<DrawnLine>& DrawnLines() const { return drawn_.Lines(); }
    // Samples a column of the drawn lines; 1 when they go through every sample.
    int DrawnStep() const { return drawn_.Step(); }

private:
    QString title_;
    QColor colour_;
    bool active_;
    std::vector<double> values_;  // a gap is held as NaN, which no plotted value can be
    std::optional<std::pair<double, double>> range_;
    ThinnedLines drawn_;
};
