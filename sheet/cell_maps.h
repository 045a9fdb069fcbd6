#pragma once

#include <cstdint>

#include "sheet/report_record.h"

namespace sheet {

// Where the texts of a calibration and of a verification protocol land on a channel's worksheet.
extern const PosPov kCalibrationMap;
extern const PosPov kVerificationMap;

// The calibration map for every nonzero mode, the verification map for 0.
const PosPov& CellMapFor(std::int32_t mode);

}  // namespace sheet
