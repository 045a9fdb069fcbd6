#pragma once

// The report record that crosses from the workstation into the report library, and the cell maps
// that say where each of its texts lands on a worksheet. Byte layouts are fixed: the workstation
// and the library must agree on every offset. Texts are NUL-terminated code page 1251 in fixed
// slots; a writer cuts a longer text, a reader never reads past a slot.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace sheet {

constexpr std::int32_t kRecordMagic = 0xAA55;
constexpr std::int32_t kReportRecordSize = 97964;
constexpr std::int32_t kCellMapSize = 256;

constexpr int kChannels = 4;
constexpr int kSlotSize = 80;
constexpr int kHeaderTexts = 21;
constexpr int kPointTexts = 7;
constexpr int kMaxPointRows = 40;
constexpr int kFooterTexts = 4;
constexpr int kVerdictSize = 2 * kSlotSize;  // the verdict runs on from FooterText[0] into FooterText[1]

struct ReportPoint {
    char Text[kPointTexts][kSlotSize];
};

struct ChannelReportBlock {
    std::int32_t Present;     // nonzero: the channel has a point; 0 hides its worksheet
    std::int32_t PointCount;  // filled point rows, 0..40
    char HeaderText[kHeaderTexts][kSlotSize];
    ReportPoint PointText[kMaxPointRows];
    char FooterText[kFooterTexts][kSlotSize];
    char SheetName[kSlotSize];
};

struct TAllTextToExcel {
    std::int32_t Mode;  // 0 verification, 1 calibration
    ChannelReportBlock Channel[kChannels];
    std::int32_t StructSize;  // kReportRecordSize
    std::int32_t Magic;       // kRecordMagic
};

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

static_assert(sizeof(ReportPoint) == 560);
static_assert(sizeof(ChannelReportBlock) == 24488);
static_assert(offsetof(ChannelReportBlock, Present) == 0);
static_assert(offsetof(ChannelReportBlock, PointCount) == 4);
static_assert(offsetof(ChannelReportBlock, HeaderText) == 8);
static_assert(offsetof(ChannelReportBlock, PointText) == 1688);
static_assert(offsetof(ChannelReportBlock, FooterText) == 24088);
static_assert(offsetof(ChannelReportBlock, SheetName) == 24408);
static_assert(sizeof(TAllTextToExcel) == kReportRecordSize);
static_assert(offsetof(TAllTextToExcel, Mode) == 0);
static_assert(offsetof(TAllTextToExcel, Channel) == 4);
static_assert(offsetof(TAllTextToExcel, StructSize) == 97956);
static_assert(offsetof(TAllTextToExcel, Magic) == 97960);
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
