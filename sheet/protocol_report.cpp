#include "sheet/protocol_report.h"

#include "sheet/diagnostics.h"

namespace sheet {

// No protocol template is installed with the library yet: every protocol of a known kind ends
// at its template.
int FormProtocol(const TAllTextToExcel& record, const PosPov& /*map*/) {
    if (record.Mode != 0 && record.Mode != 1) return -102;
    DebugOut("Protocol template missing");
    return -103;
}

}  // namespace sheet
