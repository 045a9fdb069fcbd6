#pragma once

#include <cstdint>

// The measurement protocol as the measurement page keeps it and the results page edits it:
// kProtocolRows rows of kCurrentRowSize bytes laid end to end, and the number of filled rows.
struct MeasProtocolRef {
    std::uint8_t* rows = nullptr;
    std::int32_t* count = nullptr;
};

// Zero-fills every row and empties the protocol.
void ClearProtocol(MeasProtocolRef protocol);

// Removes filled row `index` (0-based): the later filled rows move down one and the row they
// leave is zero-filled. An index that names no filled row changes nothing and gives false.
bool RemoveProtocolRow(MeasProtocolRef protocol, int index);
