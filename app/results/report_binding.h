#pragma once

#include "app/model/report_fill.h"

// Makes a verification (mode 0) or calibration (mode 1) protocol: fills the report record from
// the sources, loads the report library from the executable's folder (else its "sheetlib"
// subfolder), hands it the record and unloads it again. Answers the library's result, -1 when no
// library could be loaded, 0 when it has no report export; the user is told of every failure.
int MakeReport(int mode, const ReportSources& sources);
