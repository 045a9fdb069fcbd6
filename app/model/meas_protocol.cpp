#include "app/model/meas_protocol.h"

#include <algorithm>
#include <cstring>

#include "app/model/current_row.h"

namespace {

std::uint8_t* RowAt(MeasProtocolRef protocol, int index) {
    return protocol.rows + static_cast<std::size_t>(index) * kCurrentRowSize;
}

}  // namespace

void ClearProtocol(MeasProtocolRef protocol) {
    if (protocol.rows != nullptr) std::memset(protocol.rows, 0, kProtocolRows * kCurrentRowSize);
    if (protocol.count != nullptr) *protocol.count = 0;
}

bool RemoveProtocolRow(MeasProtocolRef protocol, int index) {
    if (protocol.rows == nullptr || protocol.count == nullptr) return false;
    // A count beyond the storage would have the move read past it.
    const int filled = std::clamp(*protocol.count, 0, kProtocolRows);
    if (index < 0 || index >= filled) return false;
    const int later = filled - 1 - index;
    if (later > 0)
        std::memmove(RowAt(protocol, index), RowAt(protocol, index + 1),
                     static_cast<std::size_t>(later) * kCurrentRowSize);
    std::memset(RowAt(protocol, filled - 1), 0, kCurrentRowSize);
    *protocol.count = filled - 1;
    return true;
}
