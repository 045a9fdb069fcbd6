#include "app/model/result_points.h"

#include <cstddef>

namespace {

bool SamePress(const ResultEntry& a, const ResultEntry& b, bool recorded) {
    if (recorded) return a.protocolRow == b.protocolRow;
    return a.protocolRow == b.protocolRow && a.point == b.point;
}

}  // namespace

PointRemoval PlanPointRemoval(const std::vector<ResultEntry>& entries, int selected, int measCount) {
    PointRemoval plan;
    if (selected < 0 || static_cast<std::size_t>(selected) >= entries.size()) {
        plan.kept = entries;
        return plan;
    }
    const ResultEntry chosen = entries[static_cast<std::size_t>(selected)];
    const bool recorded = chosen.protocolRow >= 0 && chosen.protocolRow < measCount;
    if (recorded) plan.protocolRow = chosen.protocolRow;

    std::vector<ResultEntry> gone;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (SamePress(entries[i], chosen, recorded)) {
            plan.removed.push_back(static_cast<int>(i));
            gone.push_back(entries[i]);
            if (entries[i].channel >= 1 && entries[i].channel <= 4)
                ++plan.removedPerChannel[static_cast<std::size_t>(entries[i].channel - 1)];
        } else {
            plan.kept.push_back(entries[i]);
        }
    }
    for (ResultEntry& entry : plan.kept) {
        int closedUp = 0;
        for (const ResultEntry& g : gone) {
            if (g.channel == entry.channel && g.point < entry.point) ++closedUp;
        }
        entry.point -= closedUp;
        if (recorded && entry.protocolRow > plan.protocolRow) --entry.protocolRow;
    }
    return plan;
}
