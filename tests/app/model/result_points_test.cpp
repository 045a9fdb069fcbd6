#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <vector>

#include "app/model/current_row.h"
#include "app/model/meas_protocol.h"
#include "app/model/result_points.h"

bool operator==(const ResultEntry& a, const ResultEntry& b) {
    return a.channel == b.channel && a.point == b.point && a.protocolRow == b.protocolRow;
}
void PrintTo(const ResultEntry& e, std::ostream* os) {
    *os << "(channel " << e.channel << ", point " << e.point << ", row " << e.protocolRow << ")";
}

namespace {

using Entries = std::vector<ResultEntry>;

TEST(PointRemoval, RemovesTheRowsOfOnePressAndClosesUpBehindThem) {
    struct Case {
        const char* what;
        Entries entries;
        int selected;
        int measCount;
        std::vector<int> removed;
        Entries kept;
        int protocolRow;
        std::array<int, 4> perChannel;
    } cases[] = {
        {"three presses with channels 1 and 2, point 2 removed",
         {{1, 1, 0}, {1, 2, 1}, {1, 3, 2}, {2, 1, 0}, {2, 2, 1}, {2, 3, 2}}, 1, 3,
         {1, 4}, {{1, 1, 0}, {1, 2, 1}, {2, 1, 0}, {2, 2, 1}}, 1, {1, 1, 0, 0}},
        {"the first press recorded a protocol row without results rows",
         {{1, 1, 1}, {1, 2, 2}}, 0, 3,
         {0}, {{1, 1, 1}}, 1, {1, 0, 0, 0}},
        {"points recorded at a full protocol have no protocol row",
         {{1, 1, 0}, {1, 2, -1}, {1, 3, -1}, {2, 1, 0}, {2, 2, -1}, {2, 3, -1}}, 4, 1,
         {1, 4}, {{1, 1, 0}, {1, 2, -1}, {2, 1, 0}, {2, 2, -1}}, -1, {1, 1, 0, 0}},
        {"channel 1 missed the second press: its point 2 is the third press",
         {{1, 1, 0}, {1, 2, 2}, {2, 1, 0}, {2, 2, 1}, {2, 3, 2}}, 1, 3,
         {1, 4}, {{1, 1, 0}, {2, 1, 0}, {2, 2, 1}}, 2, {1, 1, 0, 0}},
        {"removing the press channel 1 missed leaves channel 1 alone",
         {{1, 1, 0}, {1, 2, 2}, {2, 1, 0}, {2, 2, 1}, {2, 3, 2}}, 3, 3,
         {3}, {{1, 1, 0}, {1, 2, 1}, {2, 1, 0}, {2, 2, 1}}, 1, {0, 1, 0, 0}},
        {"a row beyond the filled protocol is no protocol row",
         {{3, 1, 5}, {3, 2, 6}}, 0, 3,
         {0}, {{3, 1, 6}}, -1, {0, 0, 1, 0}},
        {"no selection", {{1, 1, 0}}, -1, 1, {}, {{1, 1, 0}}, -1, {0, 0, 0, 0}},
        {"a selection past the rows", {{1, 1, 0}}, 1, 1, {}, {{1, 1, 0}}, -1, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        const PointRemoval plan = PlanPointRemoval(c.entries, c.selected, c.measCount);
        EXPECT_EQ(plan.removed, c.removed) << c.what;
        EXPECT_EQ(plan.kept, c.kept) << c.what;
        EXPECT_EQ(plan.protocolRow, c.protocolRow) << c.what;
        EXPECT_EQ(plan.removedPerChannel, c.perChannel) << c.what;
    }
}

// The protocol's storage with guard bytes behind it; a filled row i holds the byte ByteOf(i).
class ProtocolStorage : public ::testing::Test {
protected:
    static constexpr std::size_t kStorage = kProtocolRows * kCurrentRowSize;
    static constexpr std::size_t kGuard = 64;
    static constexpr std::uint8_t kGuardByte = 0xA5;

    static int ByteOf(int i) { return i % 250 + 1; }

    void fill(int rows) {
        bytes.assign(kStorage + kGuard, kGuardByte);
        std::memset(bytes.data(), 0, kStorage);
        for (int i = 0; i < rows && i < kProtocolRows; ++i) std::memset(row(i), ByteOf(i), kCurrentRowSize);
        count = rows;
    }
    std::uint8_t* row(int i) { return bytes.data() + static_cast<std::size_t>(i) * kCurrentRowSize; }
    // Every byte of row i equals value.
    bool rowIs(int i, int value) {
        for (std::size_t b = 0; b < kCurrentRowSize; ++b) {
            if (row(i)[b] != value) return false;
        }
        return true;
    }
    bool guardIntact() const {
        for (std::size_t b = kStorage; b < bytes.size(); ++b) {
            if (bytes[b] != kGuardByte) return false;
        }
        return true;
    }
    MeasProtocolRef ref() { return {bytes.data(), &count}; }

    std::vector<std::uint8_t> bytes;
    std::int32_t count = 0;
};

TEST_F(ProtocolStorage, RemovingARowMovesTheLaterRowsDownAndNeverReachesPastTheStorage) {
    struct Case {
        int filled;
        int index;
        bool removed;
        int countAfter;
        std::vector<int> rowsAfter;  // the first rows' bytes afterwards
    } cases[] = {
        {3, 1, true, 2, {1, 3, 0}},
        {3, 0, true, 2, {2, 3, 0}},
        {3, 2, true, 2, {1, 2, 0}},
        {1, 0, true, 0, {0}},
        {3, 3, false, 3, {1, 2, 3, 0}},
        {3, -1, false, 3, {1, 2, 3}},
        {0, 0, false, 0, {0}},
        {-5, 0, false, -5, {0}},
    };
    for (const Case& c : cases) {
        fill(c.filled);
        EXPECT_EQ(RemoveProtocolRow(ref(), c.index), c.removed) << c.filled << " rows, index " << c.index;
        EXPECT_EQ(count, c.countAfter) << c.filled << " rows, index " << c.index;
        for (std::size_t i = 0; i < c.rowsAfter.size(); ++i)
            EXPECT_TRUE(rowIs(static_cast<int>(i), c.rowsAfter[i])) << "row " << i << " after " << c.index;
        EXPECT_TRUE(guardIntact());
    }
}

TEST_F(ProtocolStorage, ACountBeyondTheStorageIsTakenAsFull) {
    fill(kProtocolRows);
    count = 5000;
    EXPECT_TRUE(RemoveProtocolRow(ref(), kProtocolRows - 2));
    EXPECT_EQ(count, kProtocolRows - 1);
    EXPECT_TRUE(rowIs(kProtocolRows - 2, ByteOf(kProtocolRows - 1)));
    EXPECT_TRUE(rowIs(kProtocolRows - 1, 0));
    EXPECT_TRUE(guardIntact());
    EXPECT_FALSE(RemoveProtocolRow(ref(), kProtocolRows - 1)) << "no longer filled";
}

TEST_F(ProtocolStorage, ClearingZeroesEveryRowAndTheCount) {
    fill(kProtocolRows);
    ClearProtocol(ref());
    EXPECT_EQ(count, 0);
    for (int i = 0; i < kProtocolRows; ++i) ASSERT_TRUE(rowIs(i, 0)) << "row " << i;
    EXPECT_TRUE(guardIntact());
    EXPECT_FALSE(RemoveProtocolRow({}, 0));
    ClearProtocol({});
}

}  // namespace
