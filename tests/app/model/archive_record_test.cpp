#include "app/model/archive_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "sim/archive.h"

namespace {

TArchiveRecord FromBytes(const sim::ArchiveRecordBytes& bytes) {
    TArchiveRecord record;
    std::memcpy(&record, bytes.data(), sizeof record);
    return record;
}

TEST(ArchiveRecord, EveryFieldLiesAtItsByteOffset) {
    // Each field at its limit, with the bytes around it zero: nothing spills into a neighbour.
    const struct {
        const char* field;
        void (*set)(TArchiveRecord&);
        int offset;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"Units", [](TArchiveRecord& r) { r.Units = 0xFF; }, 0, {0xFF}},
        {"PRef", [](TArchiveRecord& r) { r.PRef = -1.0f; }, 4, {0x00, 0x00, 0x80, 0xBF}},
        {"PMeas[0]", [](TArchiveRecord& r) { r.PMeas[0] = 1.0f; }, 8, {0x00, 0x00, 0x80, 0x3F}},
        {"PMeas[3]", [](TArchiveRecord& r) { r.PMeas[3] = 2.0f; }, 20, {0x00, 0x00, 0x00, 0x40}},
        {"Error[0]", [](TArchiveRecord& r) { r.Error[0] = 1.0f; }, 24, {0x00, 0x00, 0x80, 0x3F}},
        {"Error[3]", [](TArchiveRecord& r) { r.Error[3] = -2.0f; }, 36, {0x00, 0x00, 0x00, 0xC0}},
        {"AmbientTemp", [](TArchiveRecord& r) { r.AmbientTemp = 1.0f; }, 40, {0x00, 0x00, 0x80, 0x3F}},
        {"Day", [](TArchiveRecord& r) { r.Day = 0xFF; }, 44, {0xFF}},
        {"Month", [](TArchiveRecord& r) { r.Month = 0xFF; }, 45, {0xFF}},
        {"Year", [](TArchiveRecord& r) { r.Year = 0xFF; }, 46, {0xFF}},
        {"Hour", [](TArchiveRecord& r) { r.Hour = 0xFF; }, 47, {0xFF}},
        {"Minute", [](TArchiveRecord& r) { r.Minute = 0xFF; }, 48, {0xFF}},
        {"Second", [](TArchiveRecord& r) { r.Second = 0xFF; }, 49, {0xFF}},
        {"SensorNo[0]",
         [](TArchiveRecord& r) { std::memset(r.SensorNo[0], 0xFF, 3); },
         50,
         {0xFF, 0xFF, 0xFF}},
        {"SensorNo[3]",
         [](TArchiveRecord& r) { std::memset(r.SensorNo[3], 0xFF, 3); },
         59,
         {0xFF, 0xFF, 0xFF}},
        {"Crc", [](TArchiveRecord& r) { r.Crc = 0x0167; }, 62, {0x67, 0x01}},
    };
    for (const auto& c : cases) {
        TArchiveRecord record;
        std::memset(&record, 0, sizeof record);
        c.set(record);
        const std::uint8_t* bytes = RecordBytes(record);
        for (int i = 0; i < 64; ++i) {
            const int inField = i - c.offset;
            const std::uint8_t expected = inField >= 0 && inField < static_cast<int>(c.bytes.size())
                                              ? c.bytes[static_cast<std::size_t>(inField)]
                                              : 0;
            EXPECT_EQ(bytes[i], expected) << c.field << ", byte " << i;
        }
    }
}

TEST(ArchiveRecord, TheBlankRecordCarriesChecksum0x0167) {
    const TArchiveRecord blank = BlankArchiveRecord();
    const std::uint8_t* bytes = RecordBytes(blank);
    EXPECT_EQ(bytes[0], 0xAA);
    for (int i = 1; i < 62; ++i) EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(bytes[62], 0x67);
    EXPECT_EQ(bytes[63], 0x01);
    EXPECT_EQ(ArchiveRecordCrc(blank), 0x0167);
    EXPECT_TRUE(ArchiveRecordValid(blank));
}

TEST(ArchiveRecord, AnyChangedByteFailsTheCheck) {
    const TArchiveRecord measured = FromBytes(sim::MeasuredArchiveRecordBytes(77));
    ASSERT_TRUE(ArchiveRecordValid(measured));
    for (int i = 0; i < 64; ++i) {
        TArchiveRecord changed = measured;
        RecordBytes(changed)[i] ^= 0x01;
        EXPECT_FALSE(ArchiveRecordValid(changed)) << "byte " << i;
    }
}

TEST(ArchiveRecord, ReadsTheInstrumentsRecordFieldByField) {
    const TArchiveRecord record = FromBytes(sim::MeasuredArchiveRecordBytes(13));
    EXPECT_EQ(record.Units, 5 + 13 % 8);
    EXPECT_FLOAT_EQ(record.PRef, 130.125f);
    EXPECT_FLOAT_EQ(record.PMeas[3], 130.165f);
    EXPECT_FLOAT_EQ(record.Error[0], -0.1f);
    EXPECT_FLOAT_EQ(record.AmbientTemp, 20.8f);
    EXPECT_EQ(record.Day, 14);
    EXPECT_EQ(record.Month, 2);
    EXPECT_EQ(record.Year, 9);
    EXPECT_EQ(record.Second, 31);
    const int sensor4 = record.SensorNo[3][0] | record.SensorNo[3][1] << 8 | record.SensorNo[3][2] << 16;
    EXPECT_EQ(sensor4, 400013);
}

}  // namespace
