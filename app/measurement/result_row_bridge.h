#pragma once

#include <cstdint>
#include <functional>

// What "Записать" reaches on other pages to add results rows, wired by the main window.
struct ResultRowHooks {
    // Applies the set-up page into the set-up record again; false when it does not apply (the
    // set-up page has said why).
    std::function<bool()> tuneFromForm;
    // The results page's AddResultPoint.
    std::function<void(int channel, float error, float measured, float reference, int protocolRow)>
        addResultPoint;
};

// Adds the results row of channel 1..4 from the current measurement, with the reference in the
// channel's units, after applying the set-up page again; no row when that apply fails or a record
// or hook is missing. protocolRow is the protocol row this "Записать" fills, -1 when it fills none.
void AddResultRow(const ResultRowHooks& hooks, const std::uint8_t* setupRecord,
                  const std::uint8_t* currentRow, int channel, int protocolRow);
