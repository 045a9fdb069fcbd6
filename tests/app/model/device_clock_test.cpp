#include "app/model/device_clock.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QTime>
#include <optional>
#include <string>

#include "tests/support/printers.h"

namespace {

std::string Hex(const TClockBlock& block) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : block) {
        if (!text.empty()) text += ' ';
        text += kDigits[b >> 4];
        text += kDigits[b & 0x0F];
    }
    return text;
}

TEST(ClockBlock, PacksTheDateAndTimeAsTheInstrumentKeepsThem) {
    struct Case {
        QDate date;
        QTime time;
        const char* block;
    } cases[] = {
        {{2025, 12, 31}, {9, 5, 7}, "80 00 07 05 09 71 12 00 00 00 00 00 00 00 00 00 19"},
        {{2024, 6, 1}, {23, 59, 59, 999}, "80 00 59 59 23 01 06 00 00 00 00 00 00 00 00 00 18"},
        {{2024, 2, 29}, {0, 0, 0}, "80 00 00 00 00 29 02 00 00 00 00 00 00 00 00 00 18"},
        {{2000, 1, 1}, {12, 0, 0}, "80 00 00 00 12 01 01 00 00 00 00 00 00 00 00 00 00"},
        {{2255, 10, 20}, {1, 2, 3}, "80 00 03 02 01 E0 10 00 00 00 00 00 00 00 00 00 FF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Hex(PackDateTime(c.date, c.time)), c.block) << c.date.toString().toStdString();
}

TEST(ClockBlock, OnlyYearsTheYearByteCarriesFit) {
    EXPECT_FALSE(ClockYearFits({1999, 12, 31}));
    EXPECT_TRUE(ClockYearFits({2000, 1, 1}));
    EXPECT_TRUE(ClockYearFits({2255, 12, 31}));
    EXPECT_FALSE(ClockYearFits({2256, 1, 1}));
    EXPECT_FALSE(ClockYearFits(ZeroDate()));
    EXPECT_FALSE(ClockYearFits(QDate()));
}

TEST(ClockBlock, TimeFieldsDecodeWithTheirFlagBitsMasked) {
    struct Case {
        const char* text;  // from the answer's fifth character: seconds, minutes, hours
        std::optional<QTime> time;
    } cases[] = {
        {"5959A3", QTime(23, 59, 59)},  // bits 7-6 of the hours byte are flags
        {"070509", QTime(9, 5, 7)},
        {"000000B192", QTime(0, 0, 0)},
        {"0000e1", QTime(21, 0, 0)},
        {"600000", std::nullopt},  // 60 seconds
        {"006000", std::nullopt},
        {"000024", std::nullopt},
        {"0A0000", std::nullopt},  // a units digit that is no decimal digit
        {"00;000", std::nullopt},
        {"59593", std::nullopt},  // too short: nothing beyond the text is read
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(DeviceTimeFromHex(c.text), c.time) << c.text;
}

TEST(ClockBlock, DayAndMonthDecodeInALeapYearSoThat29FebruaryStays) {
    struct Case {
        const char* text;  // from the answer's eleventh character: day (with the year bits), month
        std::optional<QDate> date;
    } cases[] = {
        {"B192", QDate(2000, 12, 31)},  // flag bits of both bytes masked
        {"2902", QDate(2000, 2, 29)},  {"6902", QDate(2000, 2, 29)}, {"0101", QDate(2000, 1, 1)},
        {"3002", std::nullopt},        {"0001", std::nullopt},  // day 0
        {"0113", std::nullopt},                                 // month 13
        {"010", std::nullopt},         {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(DeviceDateFromHex(c.text), c.date) << c.text;
}

TEST(ClockBlock, TheYearByteCompletesTheDate) {
    struct Case {
        QDate dayAndMonth;
        int yearByte;
        std::optional<QDate> date;
    } cases[] = {
        {{2000, 2, 29}, 24, QDate(2024, 2, 29)},
        {{2000, 2, 29}, 25, std::nullopt},
        {{2000, 12, 31}, 255, QDate(2255, 12, 31)},
        {ZeroDate(), 25, QDate(2025, 12, 30)},  // an invalid day and month keep the zero date's
        {{2000, 1, 1}, 2147483647, std::nullopt},
        {QDate(), 24, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(DeviceDateInYear(c.dayAndMonth, c.yearByte), c.date) << c.yearByte;

    EXPECT_EQ(YearFromText("24"), 24);
    EXPECT_EQ(YearFromText(" 7;"), 7);
    EXPECT_EQ(YearFromText(""), 0);
    EXPECT_EQ(YearFromText("abc"), 0);
    EXPECT_EQ(YearFromText("99999999999"), 0);
}

}  // namespace
