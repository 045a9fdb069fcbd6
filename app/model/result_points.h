#pragma once

#include <array>
#include <vector>

// One row of the results table.
struct ResultEntry {
    int channel = 0;       // 1..4
    int point = 0;         // the channel's point number, from 1
    int protocolRow = -1;  // the protocol row "Записать" filled with it; -1: none, the protocol was full
};

// What removing a point does to the table, the protocol and the channels' point counters.
struct PointRemoval {
    std::vector<int> removed;       // indexes of the entries to delete, in increasing order
    std::vector<ResultEntry> kept;  // the other entries in their order, renumbered
    int protocolRow = -1;           // the protocol row to remove with them; -1: none
    std::array<int, 4> removedPerChannel{};
};

// Removing the point of entry `selected`: every row that one "Записать" recorded with it goes,
// and so does that press's protocol row when it is one of the measCount filled rows (rows
// recorded at a full protocol have none). Each channel's later points close up behind its
// removed one, and protocol rows after the removed one move down one. A selection outside the
// entries removes nothing.
PointRemoval PlanPointRemoval(const std::vector<ResultEntry>& entries, int selected, int measCount);
