#pragma once

// Makes a verification (mode 0) or calibration (mode 1) protocol through the report library.
// The library's result; -1 when no library could be loaded, which the user is told.
int MakeReport(int mode);
