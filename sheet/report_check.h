#pragma once

#include "sheet/report_record.h"

namespace sheet {

// 0 when the cell map and the record are whole; -1 otherwise, with its diagnostic texts.
int CheckReportData(const TAllTextToExcel& record, const PosPov& map);

}  // namespace sheet
