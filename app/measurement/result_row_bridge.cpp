#include "app/measurement/result_row_bridge.h"

#include "app/model/current_row.h"
#include "app/model/pressure_units.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"

bool AddResultRows(const ResultRowHooks& hooks, const std::uint8_t* setupRecord,
                   const std::uint8_t* currentRow, const std::vector<int>& channels, int protocolRow) {
    // Without the records or the pages there is no row to make, and nothing to hold the press back.
    if (channels.empty() || setupRecord == nullptr || currentRow == nullptr || !hooks.tuneFromForm ||
        !hooks.addResultPoint)
        return true;
    // Once for the press: a set-up that does not apply says so once, and no channel gets a row.
    if (!hooks.tuneFromForm()) return false;
    const float referenceKPa = ReadFloat32(currentRow, MeasBlockOffset(0) + block::Pressure);
    for (const int channel : channels) {
        if (channel < 1 || channel > 4) continue;
        const std::size_t at = MeasBlockOffset(channel);
        const float reference = FromKPa(ChannelText(setupRecord, channel, channel::UnitsText), referenceKPa);
        hooks.addResultPoint(channel, ReadFloat32(currentRow, at + block::Error),
                             ReadFloat32(currentRow, at + block::Pressure), reference, protocolRow);
    }
    return true;
}
