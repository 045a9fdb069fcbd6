#include "sheet/report_check.h"

#include "sheet/diagnostics.h"

namespace sheet {

int CheckReportData(const TAllTextToExcel& record, const PosPov& map) {
    if (map.StructSize != kCellMapSize || map.Magic != kRecordMagic) {
        TraceStr("ERROR! Struct PosPov is corrupt!!");
        return -1;
    }
    TraceInt("sizeof(struct TTextToExcel_Check)=", kReportRecordSize);
    if (record.StructSize != kReportRecordSize) {
        DebugOut("ERROR! Size Struct TAllTextToExcel is wrong!!");
        return -1;
    }
    if (record.Magic != kRecordMagic) {
        DebugOut("ERROR! Struct TAllTextToExcel is corrupt (0xAA55)!!");
        return -1;
    }
    return 0;
}

}  // namespace sheet
