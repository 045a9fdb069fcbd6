#include "app/controls/graph_series.h"

#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <limits>

GraphSeries::GraphSeries(QChart* chart, QAbstractAxis* axisX, QAbstractAxis* axisY, const char* name,
                         const QString& title, const QColor& colour, bool active, QObject* parent)
    : QObject(parent), chart_(chart), axisX_(axisX), axisY_(axisY), title_(title), colour_(colour), active_(active) {
    setObjectName(name);
}

GraphSeries::~GraphSeries() = default;  // the chart owns the pieces and deletes them with itself

void GraphSeries::Add(double value) {
    if (!std::isfinite(value)) {
        AddNull();
        return;
    }
    const double x = static_cast<double>(values_.size());
    values_.push_back(value);
    if (!pieceOpen_) {
        pieces_.push_back(NewPiece());
        pieceOpen_ = true;
    }
    pieces_.back()->append(x, value);
    if (range_) {
        range_->first = std::min(range_->first, value);
        range_->second = std::max(range_->second, value);
    } else {
        range_ = std::make_pair(value, value);
    }
}

void GraphSeries::AddNull() {
    values_.push_back(std::numeric_limits<double>::quiet_NaN());
    pieceOpen_ = false;
}

void GraphSeries::Clear() {
    for (QLineSeries* piece : pieces_) {
        chart_->removeSeries(piece);
        delete piece;
    }
    pieces_.clear();
    values_.clear();
    pieceOpen_ = false;
    range_.reset();
}

std::optional<double> GraphSeries::ValueAt(int index) const {
    if (index < 0 || index >= Count()) return std::nullopt;
    const double value = values_[static_cast<std::size_t>(index)];
    if (std::isnan(value)) return std::nullopt;
    return value;
}

std::optional<std::pair<double, double>> GraphSeries::ValueRange() const { return range_; }

void GraphSeries::SetActive(bool active) {
    active_ = active;
    for (QLineSeries* piece : pieces_) piece->setVisible(active);
}

QLineSeries* GraphSeries::NewPiece() {
    auto* piece = new QLineSeries;
    piece->setName(title_);
    QPen pen(colour_);
    pen.setWidth(2);
    piece->setPen(pen);
    piece->setPointsVisible(false);
    piece->setPointLabelsVisible(false);
    chart_->addSeries(piece);
    piece->attachAxis(axisX_);
    piece->attachAxis(axisY_);
    piece->setVisible(active_);
    return piece;
}
