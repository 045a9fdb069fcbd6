#pragma once

#include "sheet/report_record.h"

namespace sheet {

// The protocol workbook from a record that passed its checks, with the cell map of its mode:
// answers FormReport's result (0, or -102, -103, -104, -107, -112, -211). It is made in a copy of
// the template beside the protocol and written under the protocol's name whole, once complete;
// when that write fails the result is -104, as for a template that cannot be copied into "reports".
int FormProtocol(const TAllTextToExcel& record, const PosPov& map);

// Gives back the references the last protocol kept to the application it handed over (at
// unload; the next protocol gives them back too).
void ReleaseReportContext();

}  // namespace sheet
