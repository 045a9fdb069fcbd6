#pragma once
// One call into the report library: load it, find one export, call it, say what went wrong, and
// free the library whatever happened.
#include <functional>
#include <string>

struct ReportLibraryCall {
    bool loaded = false;  // the library file loaded
    bool found = false;   // and it has the export
    int result = 0;       // what the export returned
};

// `call` gets the export's address. The messages are shown before this returns; the library is
// freed on every path, an exception from `call` included.
ReportLibraryCall CallReportLibrary(const std::string& libraryPath, const char* exportName,
                                    const std::function<int(void* exportAddress)>& call);
