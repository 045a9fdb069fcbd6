#include "app/model/archive_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "platform/class_library/utf8_literal.h"
#include "tests/support/printers.h"

namespace {

TEST(ArchiveTexts, ValuesAreFourDecimalsCutToNineCharacters) {
    const struct {
        float value;
        const char* text;
    } cases[] = {
        {0.0f, "0.0000"},
        {-0.5f, "-0.5000"},
        {12345.6789f, "12345.678"},
        {123456.78f, "123456.78"},
        {-1234.56789f, "-1234.567"},
        {123456789.0f, "123456792"},
        // Cutting into the integer part would show a value ten times too small.
        {1.0e12f, "999999995904"},
        {-1.0e12f, "-999999995904"},
        {std::numeric_limits<float>::max(), "340282346638528859811704183484516925440"},
    };
    for (const auto& c : cases) EXPECT_EQ(ArchiveValueText(c.value), c.text) << c.text;
}

TEST(ArchiveTexts, CellsOfAMeasuredRecordInColumnOrder) {
    TArchiveRecord record{};
    record.Units = 0x16;  // only the low four bits count: кПа
    record.AmbientTemp = 123456.78f;
    record.PRef = -1234.56789f;
    for (int ch = 0; ch < 4; ++ch) {
        record.PMeas[ch] = 1.5f * static_cast<float>(ch + 1);
        record.Error[ch] = -0.25f * static_cast<float>(ch + 1);
    }
    const std::uint8_t when[6] = {5, 3, 9, 14, 7, 0};
    std::memcpy(&record.Day, when, sizeof when);
    const std::uint8_t numbers[4][3] = {{0x39, 0x30, 0x00}, {0xFF, 0xFF, 0xFF}, {0, 0, 0}, {0x87, 0xD6, 0x12}};
    std::memcpy(record.SensorNo, numbers, sizeof numbers);
    QStringList units;
    for (int i = 0; i < 16; ++i) units << QString::number(i);
    units[6] = U("кПа");

    EXPECT_EQ(ArchiveCellTexts(record, units),
              (QStringList{"5/3/2009  14:7:0", "123456.78", U("кПа"), "-1234.567", "1.5000", "-0.2500", "0012345",
                           "3.0000", "-0.5000", "16777215", "4.5000", "-0.7500", "0000000", "6.0000", "-1.0000",
                           "1234567"}));

    const struct {
        std::uint8_t units;
        const char* text;
    } unitCases[] = {{0x05, "5"}, {0x0C, "12"}, {0x0D, "13"}, {0xF0, "0"}, {0x1F, "15"}};
    for (const auto& c : unitCases) {
        record.Units = c.units;
        EXPECT_EQ(ArchiveCellTexts(record, units)[2], c.text) << int{c.units};
    }
    // A list shorter than the code leaves the cell empty rather than reading past it.
    EXPECT_EQ(ArchiveCellTexts(record, QStringList{"--"})[2], QString());
}

TEST(ArchiveTexts, DatesKeepTheYearsTwoDigitsAndNothingElsePadded) {
    const struct {
        std::uint8_t when[6];
        const char* text;
    } cases[] = {
        {{5, 3, 9, 14, 7, 0}, "5/3/2009  14:7:0"},
        {{31, 12, 24, 23, 59, 59}, "31/12/2024  23:59:59"},
        {{0, 0, 0, 0, 0, 0}, "0/0/2000  0:0:0"},
        {{255, 255, 255, 255, 255, 255}, "255/255/20255  255:255:255"},
    };
    for (const auto& c : cases) {
        TArchiveRecord record{};
        std::memcpy(&record.Day, c.when, sizeof c.when);
        EXPECT_EQ(ArchiveDateTimeText(record), c.text);
    }
}

}  // namespace
