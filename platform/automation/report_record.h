#pragma once

// The report record that crosses from the workstation into the report library it loads, and the
// signature of the export that takes it. Both sides compile against this one layout: every offset
// is fixed. Texts are NUL-terminated code page 1251 in fixed slots; a writer cuts a longer text,
// a reader never reads past a slot.

#include <cstddef>
#include <cstdint>

namespace platform {

constexpr std::int32_t kRecordMagic = 0xAA55;
constexpr std::int32_t kReportRecordSize = 97964;

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

// The export "FormReport": 0 when the protocol was made, a negative code naming the failed step
// otherwise. The library reads the record only during the call.
using FormReportFunction = int (*)(const TAllTextToExcel*);

}  // namespace platform
