#include "app/controls/graph_plot.h"

#include <QPainter>
#include <QPen>
#include <QPolygonF>
#include <QValueAxis>
#include <algorithm>
#include <utility>

#include "app/controls/graph_series.h"

namespace {

// Where the chart library puts its line series: above the plot area, the grid and the axes.
constexpr qreal kLinesZValue = 4;
// A point far outside the plot is drawn at this distance from it, so that the painter never
// meets coordinates it cannot hold; the part of the line inside the plot stays as it was.
constexpr qreal kFarOutside = 1e6;
// A long line is stroked in parts: the painter's cost for one outline grows faster than its
// length where a line folds over itself, as a thinned line does in every column.
constexpr qsizetype kPointsAStroke = 64;

}  // namespace

GraphPlot::GraphPlot(QGraphicsItem* chart, const QValueAxis* axisX, const QValueAxis* axisY,
                     std::vector<GraphSeries*> series)
    : QGraphicsItem(chart), axisX_(axisX), axisY_(axisY), series_(std::move(series)) {
    setZValue(kLinesZValue);
}

void GraphPlot::SetArea(const QRectF& area) {
    if (area == area_) return;
    prepareGeometryChange();
    area_ = area;
}

void GraphPlot::Thin() {
    for (GraphSeries* series : series_) series->Thin(axisX_->min(), axisX_->max(), area_.width());
}

QRectF GraphPlot::boundingRect() const { return area_; }

void GraphPlot::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    Thin();
    const double xMin = axisX_->min();
    const double yMin = axisY_->min();
    const double xSpan = axisX_->max() - xMin;
    const double ySpan = axisY_->max() - yMin;
    if (!(xSpan > 0.0) || !(ySpan > 0.0) || area_.isEmpty()) return;
    const double xScale = area_.width() / xSpan;
    const double yScale = area_.height() / ySpan;
    const auto place = [&](const QPointF& point) {
        const double x = area_.left() + (point.x() - xMin) * xScale;
        const double y = area_.bottom() - (point.y() - yMin) * yScale;
        return QPointF(std::clamp(x, area_.left() - kFarOutside, area_.right() + kFarOutside),
                       std::clamp(y, area_.top() - kFarOutside, area_.bottom() + kFarOutside));
    };

    const bool smooth = painter->renderHints().testFlag(QPainter::Antialiasing);
    painter->save();
    painter->setClipRect(area_);
    QPolygonF polygon;
    for (const GraphSeries* series : series_) {
        if (!series->Active()) continue;
        QPen pen(series->Colour());
        pen.setWidth(2);
        painter->setPen(pen);
        // Thinned columns are as wide as the pen: smoothing their edges shows nothing and costs
        // most of the paint. Lines through every sample are drawn smooth, as the chart draws.
        painter->setRenderHint(QPainter::Antialiasing, smooth && series->DrawnStep() == 1);
        for (const DrawnLine& line : series->DrawnLines()) {
            polygon.resize(static_cast<qsizetype>(line.size()));
            for (std::size_t i = 0; i < line.size(); ++i) polygon[static_cast<qsizetype>(i)] = place(line[i]);
            // A value alone between two gaps is still a sample: it shows as a dot.
            if (polygon.size() == 1) {
                painter->drawPoint(polygon.front());
                continue;
            }
            for (qsizetype i = 0; i + 1 < polygon.size(); i += kPointsAStroke - 1) {
                const qsizetype count = std::min(kPointsAStroke, polygon.size() - i);
                painter->drawPolyline(polygon.constData() + i, static_cast<int>(count));
            }
        }
    }
    painter->restore();
}
