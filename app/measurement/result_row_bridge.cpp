#include "app/measurement/result_row_bridge.h"

#include "app/model/current_row.h"
#include "app/model/pressure_units.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"

void AddResultRow(const ResultRowHooks& hooks, const std::uint8_t* setupRecord,
                  const std::uint8_t* currentRow, int channel, int protocolRow) {
    if (setupRecord == nullptr || currentRow == nullptr || channel < 1 || channel > 4 ||
        !hooks.tuneFromForm || !hooks.addResultPoint)
        return;
    if (!hooks.tuneFromForm()) return;
    const std::size_t at = MeasBlockOffset(channel);
    const float reference = FromKPa(ChannelText(setupRecord, channel, channel::UnitsText),
                                    ReadFloat32(currentRow, MeasBlockOffset(0) + block::Pressure));
    hooks.addResultPoint(channel, ReadFloat32(currentRow, at + block::Error),
                         ReadFloat32(currentRow, at + block::Pressure), reference, protocolRow);
}
