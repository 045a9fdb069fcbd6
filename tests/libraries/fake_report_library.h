#pragma once

// A stand-in for the report library, for the tests of the workstation's binding: it counts its
// loads and unloads, can refuse a load, keeps a copy of the record it was handed and answers the
// result a test sets. Built twice, with and without the report export. A test holds the library
// open itself and reaches this state through the export "FakeReport".

#include "platform/report_record.h"

struct FakeReportState {
    int attaches = 0;  // loads through the loader, refused ones included
    int detaches = 0;  // unloads through the loader
    bool refuseLoad = false;
    int calls = 0;                       // report calls
    int result = 0;                      // what the report call answers
    platform::TAllTextToExcel record{};  // what the last report call was handed
};

using FakeReportStateFunction = FakeReportState* (*)();
