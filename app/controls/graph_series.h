#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class QAbstractAxis;
class QChart;
class QLineSeries;

// One plotted quantity of the graph frame: its samples, each a value or a gap, with the sample's
// index as x. A line series of the chart library cannot leave a gap, so the samples are drawn by
// pieces: one line series for every run of values between gaps.
class GraphSeries : public QObject {
    Q_OBJECT
public:
    GraphSeries(QChart* chart, QAbstractAxis* axisX, QAbstractAxis* axisY, const char* name, const QString& title,
                const QColor& colour, bool active, QObject* parent);
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
    void SetActive(bool active);
    const QString& Title() const { return title_; }
    const QColor& Colour() const { return colour_; }
    const std::vector<QLineSeries*>& Pieces() const { return pieces_; }

private:
    QLineSeries* NewPiece();

    QChart* chart_;
    QAbstractAxis* axisX_;
    QAbstractAxis* axisY_;
    QString title_;
    QColor colour_;
    bool active_;
    std::vector<double> values_;  // a gap is held as NaN, which no plotted value can be
    std::vector<QLineSeries*> pieces_;
    bool pieceOpen_ = false;  // the last sample was a value: the next one continues its piece
    std::optional<std::pair<double, double>> range_;
};
