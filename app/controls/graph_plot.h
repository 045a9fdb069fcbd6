#pragma once

#include <QGraphicsItem>
#include <QRectF>
#include <vector>

class GraphSeries;
class QValueAxis;

// Draws the graph frame's active series into the chart's plot area, each thinned to the plot's
// pixel columns over the axes' ranges. Appending a sample costs nothing here: the lines are
// brought up to date when the chart is painted, and then only by the samples that came since,
// unless the range in view or the plot's width changed.
class GraphPlot : public QGraphicsItem {
  public:
    GraphPlot(QGraphicsItem* chart, const QValueAxis* axisX, const QValueAxis* axisY,
              std::vector<GraphSeries*> series);

    // The plot area, in the chart's coordinates.
    void SetArea(const QRectF& area);
    const QRectF& Area() const { return area_; }
    // Brings every series' drawn lines to the axes' ranges and the plot's width.
    void Thin();

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

  private:
    const QValueAxis* axisX_;
    const QValueAxis* axisY_;
    std::vector<GraphSeries*> series_;
    QRectF area_;
};
