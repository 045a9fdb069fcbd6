#include "app/controls/graph_series.h"

#include <algorithm>
#include <cmath>
#include <limits>

GraphSeries::GraphSeries(const char* name, const QString& title, const QColor& colour, bool active, QObject* parent)
    : QObject(parent), title_(title), colour_(colour), active_(active) {
    setObjectName(name);
}

GraphSeries::~GraphSeries() = default;

void GraphSeries::Add(double value) {
    if (!std::isfinite(value)) {
        AddNull();
        return;
    }
    values_.push_back(value);
    if (range_) {
        range_->first = std::min(range_->first, value);
        range_->second = std::max(range_->second, value);
    } else {
        range_ = std::make_pair(value, value);
    }
}

void GraphSeries::AddNull() { values_.push_back(std::numeric_limits<double>::quiet_NaN()); }

void GraphSeries::Clear() {
    values_.clear();
    range_.reset();
    drawn_.Clear();
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
    if (!active_) drawn_.Clear();
}

void GraphSeries::Thin(double minimum, double maximum, double pixels) {
    if (!active_) {
        drawn_.Clear();
        return;
    }
    drawn_.Cover(values_, minimum, maximum, pixels);
}
