#include "sheet/report_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sheet/cell_maps.h"

namespace {

using namespace sheet;

// Every slot of the record: where it must lie, and how a writer fills it to its limit through its
// field (a text of slot - 1 characters and its NUL, an integer with every bit set).
struct Slot {
    std::string name;
    std::size_t offset;
    std::size_t size;
    std::function<void(TAllTextToExcel&)> fill;
};

template <std::size_t N>
void FillText(char (&slot)[N]) {
    std::memset(slot, 'x', N - 1);
    slot[N - 1] = '\0';
}

std::vector<Slot> AllSlots() {
    std::vector<Slot> slots;
    auto integer = [&](std::string name, std::size_t offset, std::int32_t TAllTextToExcel::*field) {
        slots.push_back({std::move(name), offset, 4, [field](TAllTextToExcel& r) { r.*field = -1; }});
    };
    integer("Mode", 0, &TAllTextToExcel::Mode);
    for (int c = 0; c < kChannels; ++c) {
        const std::size_t base = 4 + 24488 * static_cast<std::size_t>(c);
        const std::string ch = "Channel[" + std::to_string(c) + "].";
        slots.push_back({ch + "Present", base, 4, [c](TAllTextToExcel& r) { r.Channel[c].Present = -1; }});
        slots.push_back(
            {ch + "PointCount", base + 4, 4, [c](TAllTextToExcel& r) { r.Channel[c].PointCount = -1; }});
        for (int k = 0; k < kHeaderTexts; ++k) {
            slots.push_back({ch + "HeaderText[" + std::to_string(k) + "]", base + 8 + 80 * k, 80,
                             [c, k](TAllTextToExcel& r) { FillText(r.Channel[c].HeaderText[k]); }});
        }
        for (int p = 0; p < kMaxPointRows; ++p) {
            for (int k = 0; k < kPointTexts; ++k) {
                slots.push_back({ch + "PointText[" + std::to_string(p) + "][" + std::to_string(k) + "]",
                                 base + 1688 + 560 * p + 80 * k, 80, [c, p, k](TAllTextToExcel& r) {
                                     FillText(r.Channel[c].PointText[p].Text[k]);
                                 }});
            }
        }
        for (int k = 0; k < kFooterTexts; ++k) {
            slots.push_back({ch + "FooterText[" + std::to_string(k) + "]", base + 24088 + 80 * k, 80,
                             [c, k](TAllTextToExcel& r) { FillText(r.Channel[c].FooterText[k]); }});
        }
        slots.push_back({ch + "SheetName", base + 24408, 80,
                         [c](TAllTextToExcel& r) { FillText(r.Channel[c].SheetName); }});
    }
    integer("StructSize", 97956, &TAllTextToExcel::StructSize);
    integer("Magic", 97960, &TAllTextToExcel::Magic);
    return slots;
}

TEST(ReportRecord, SlotsTileTheRecordWithoutGapsOrOverlaps) {
    std::size_t next = 0;
    for (const auto& slot : AllSlots()) {
        EXPECT_EQ(slot.offset, next) << slot.name;
        next = slot.offset + slot.size;
    }
    EXPECT_EQ(next, sizeof(TAllTextToExcel));
    EXPECT_EQ(sizeof(TAllTextToExcel), 97964u);
}

// Each slot filled to its limit through its field changes exactly its own bytes.
TEST(ReportRecord, EverySlotAtItsLimitLeavesItsNeighboursAlone) {
    auto record = std::make_unique<TAllTextToExcel>();
    auto* bytes = reinterpret_cast<unsigned char*>(record.get());
    for (const auto& slot : AllSlots()) {
        std::memset(bytes, 0xA5, sizeof(TAllTextToExcel));
        slot.fill(*record);
        std::size_t firstChanged = sizeof(TAllTextToExcel), lastChanged = 0;
        for (std::size_t i = 0; i < sizeof(TAllTextToExcel); ++i) {
            if (bytes[i] == 0xA5) continue;
            firstChanged = std::min(firstChanged, i);
            lastChanged = i;
        }
        ASSERT_EQ(firstChanged, slot.offset) << slot.name;
        ASSERT_EQ(lastChanged, slot.offset + slot.size - 1) << slot.name;
    }
}

// Slots a writer left without their NUL are read to their end only: the next slot's text does
// not run in.
TEST(ReportRecord, TextsAreReadWithinTheirSlots) {
    auto record = std::make_unique<TAllTextToExcel>();
    std::memset(record.get(), 'y', sizeof(TAllTextToExcel));
    ChannelReportBlock& block = record->Channel[1];
    std::memset(block.HeaderText[3], 'h', sizeof block.HeaderText[3]);
    EXPECT_EQ(SlotText(block.HeaderText[3]), std::string(80, 'h'));
    std::memset(block.PointText[39].Text[6], 'p', 80);
    EXPECT_EQ(SlotText(block.PointText[39].Text[6]), std::string(80, 'p'));
    std::memset(block.SheetName, 's', 80);
    EXPECT_EQ(SlotText(block.SheetName), std::string(80, 's'));
    // The verdict runs from FooterText[0] through FooterText[1], never into FooterText[2].
    std::memset(block.FooterText, 'v', 160);
    EXPECT_EQ(VerdictText(block), std::string(160, 'v'));
    std::strcpy(block.FooterText[0], "\xC3\xEE\xE4\xE5\xED");
    EXPECT_EQ(VerdictText(block), "\xC3\xEE\xE4\xE5\xED");
    block.HeaderText[0][5] = '\0';
    EXPECT_EQ(SlotText(block.HeaderText[0]), "yyyyy");
}

TEST(ReportRecord, PointCountIsTakenWithinTheRecordsRows) {
    const struct {
        std::int32_t stored;
        int rows;
    } cases[] = {{0, 0}, {1, 1}, {12, 12}, {40, 40}, {41, 40}, {1000000, 40}, {-1, 0}, {INT32_MIN, 0}};
    ChannelReportBlock block{};
    for (const auto& c : cases) {
        block.PointCount = c.stored;
        EXPECT_EQ(PointRowCount(block), c.rows) << c.stored;
    }
}

std::string CellName(const CellPos& cell) {
    if (cell.Row < 1) return "-";
    return std::string(1, static_cast<char>(cell.Column)) + std::to_string(cell.Row);
}

TEST(CellMaps, EverySlotLandsInItsCell) {
    const char* header[kHeaderTexts] = {"A4",  "C6",  "E7",  "C8",  "C9",  "F10", "A15",
                                        "C15", "D15", "E15", "F15", "H15", "I15", "J15",
                                        "D18", "D19", "D20", "B31", "C31", "D31", "F31"};
    for (const PosPov* map : {&kCalibrationMap, &kVerificationMap}) {
        for (int k = 0; k < kHeaderTexts; ++k) EXPECT_EQ(CellName(map->HeaderCells[k]), header[k]) << k;
        EXPECT_EQ(map->StructSize, 256);
        EXPECT_EQ(map->Magic, 0xAA55);
    }
    const struct {
        const PosPov* map;
        const char* points[kPointTexts];
        const char* footer[3];
        char unplacedColumns[3];  // columns the map keeps for the slots it does not place
    } cases[] = {
        {&kCalibrationMap,
         {"B32", "C32", "D32", "E32", "-", "-", "F32"},
         {"-", "B46", "H46"},
         {'F', 'H', 'A'}},
        {&kVerificationMap,
         {"B32", "C32", "D32", "E32", "F32", "H32", "-"},
         {"A44", "B47", "G47"},
         {'A', 0, 0}},
    };
    for (const auto& c : cases) {
        std::string unplaced;
        for (int k = 0; k < kPointTexts; ++k) {
            EXPECT_EQ(CellName(c.map->PointCols[k]), c.points[k]) << k;
            if (c.map->PointCols[k].Row < 1) {
                // Even the last point row stays off the sheet.
                EXPECT_LT(c.map->PointCols[k].Row + kMaxPointRows - 1, 1);
                unplaced += static_cast<char>(c.map->PointCols[k].Column);
            }
        }
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(CellName(c.map->FooterCells[k]), c.footer[k]) << k;
            if (c.map->FooterCells[k].Row < 1) unplaced += static_cast<char>(c.map->FooterCells[k].Column);
        }
        EXPECT_EQ(unplaced, std::string(c.unplacedColumns, strnlen(c.unplacedColumns, 3)));
    }
    EXPECT_EQ(&CellMapFor(0), &kVerificationMap);
    for (std::int32_t mode : {1, 2, -1}) EXPECT_EQ(&CellMapFor(mode), &kCalibrationMap) << mode;
}

}  // namespace
