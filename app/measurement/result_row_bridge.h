#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// What "Записать" reaches on other pages to add results rows, wired by the main window.
struct ResultRowHooks {
    // Applies the set-up page into the set-up record again; false when it does not apply (the
    // set-up page has said why).
    std::function<bool()> tuneFromForm;
    // The results page's AddResultPoint.
    std::function<void(int channel, float error, float measured, float reference, int protocolRow)>
        addResultPoint;
};

// The results rows of one "Записать": applies the set-up page once, then adds a row for each of the
// channels 1..4 from the current measurement, with the reference in the channel's units. False,
// with no row added, when the set-up does not apply: the press then records nothing at all. No
// channel, a missing record or a missing page adds no row and needs no apply. protocolRow is the
// protocol row this "Записать" fills, -1 when it fills none.
bool AddResultRows(const ResultRowHooks& hooks, const std::uint8_t* setupRecord,
                   const std::uint8_t* currentRow, const std::vector<int>& channels, int protocolRow);
