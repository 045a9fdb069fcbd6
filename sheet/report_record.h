#pragma once

// The cell maps that say where each text of the report record lands on a worksheet, and how the
// library reads the record's slots. The record's layout is shared with the workstation
// (platform/report_record.h).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/automation/report_record.h"

namespace sheet {

using platform::ChannelReportBlock;
using platform::kChannels;
using platform::kFooterTexts;
using platform::kHeaderTexts;
using platform::kMaxPointRows;
using platform::kPointTexts;
using platform::kRecordMagic;
using platform::kReportRecordSize;
using platform::kSlotSize;
using platform::kVerdictSize;
using platform::ReportPoint;
using platform::TAllTextToExcel;

constexpr std::int32_t kCellMapSize = 256;

// A cell: its 1-based row and its column letter's ASCII code ('A' is column 1).
struct CellPos {
    std::int32_t Row;
    std::int32_t Column;
};

// The row a map gives a slot it does not place; any row below 1 is never written.
constexpr std::int32_t kNotPlaced = -1000;

struct PosPov {
    CellPos HeaderCells[kHeaderTexts];
    CellPos PointCols[kPointTexts];  // point row p lies p rows below these
    CellPos FooterCells[3];          // verdict, FooterText[2], FooterText[3]
    std::int32_t StructSize;         // kCellMapSize
    std::int32_t Magic;              // kRecordMagic
};

static_assert(sizeof(CellPos) == 8);
static_assert(sizeof(PosPov) == kCellMapSize);
static_assert(offsetof(PosPov, HeaderCells) == 0);
static_assert(offsetof(PosPov, PointCols) == 168);
static_assert(offsetof(PosPov, FooterCells) == 224);
static_assert(offsetof(PosPov, StructSize) == 248);
static_assert(offsetof(PosPov, Magic) == 252);

// The text of a slot, up to its first NUL and never past the slot's end, whatever the caller put
// there.
template <std::size_t N>
std::string_view SlotText(const char (&slot)[N]) {
    return std::string_view(slot, ::strnlen(slot, N));
}

// The verdict: up to 159 characters from the start of FooterText[0], running on into
// FooterText[1]; never past FooterText[1].
inline std::string_view VerdictText(const ChannelReportBlock& block) {
    const char* start = reinterpret_cast<const char*>(&block.FooterText);
    return std::string_view(start, ::strnlen(start, kVerdictSize));
}

// The point rows a channel is written with: a count above 40 is taken as 40 (no more rows exist
// in the record), a negative count as none.
inline int PointRowCount(const ChannelReportBlock& block) {
    if (block.PointCount < 0) return 0;
    return block.PointCount > kMaxPointRows ? kMaxPointRows : block.PointCount;
}

}  // namespace sheet
