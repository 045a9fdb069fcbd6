#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <chrono>
#include <clocale>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>

#include "app/model/value_text.h"
#include "platform/class_library/os_services.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/system/clock.h"
#include "tests/app/window_fixture.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"

namespace {

struct FormatCase {
    QString (*format)(float);
    const char* name;
    float value;
    const char* text;
};

TEST(FloatTexts, FormatTheFloatWithAPoint) {
    const FormatCase cases[] = {
        {FloatText4, "FloatText4", 0.0f, "0.0000"},
        {FloatText4, "FloatText4", -1.23456f, "-1.2346"},
        {FloatText3, "FloatText3", 12.5f, "12.500"},
        // The float, not the decimal literal, is rounded: 0.00045f lies below 0.00045, 0.00065f above.
        {FloatText4, "FloatText4", 0.00045f, "0.0004"},
        {FloatText4, "FloatText4", 0.00065f, "0.0007"},
        {FloatText4, "FloatText4", 0.00005f, "0.0000"},
        {FloatText3, "FloatText3", 0.0025f, "0.002"},
        {FloatText3, "FloatText3", 0.0115f, "0.012"},
        {FloatText7, "FloatText7", 0.5f, "0.5000000"},
        {FloatText7, "FloatText7", -0.5f, "-0.500000"},
        {FloatText7, "FloatText7", 123.5f, "123.50000"},
        {FloatText7, "FloatText7", 12345678.0f, "12345678."},
        // 123456789 is 123456792 as a float.
        {FloatText7, "FloatText7", 123456789.0f, "123456792"},
        {FloatText7, "FloatText7", 3.1415927f, "3.1415927"},
        {FloatText7, "FloatText7", -0.0001234f, "-0.000123"},
        // Cut, not rounded again: "%.7f" gives 12.3456755.
        {FloatText7, "FloatText7", 12.345675f, "12.345675"},
        // Never cut inside the integer part.
        {FloatText7, "FloatText7", -123456789.0f, "-123456792"},
        {FloatText7, "FloatText7", 1e10f, "10000000000"},
        {FloatText7, "FloatText7", -1234567.5f, "-1234567."},
    };
    for (const FormatCase& c : cases) EXPECT_EQ(c.format(c.value), U(c.text)) << c.name << " of " << c.value;
}

TEST(FloatTexts, CutToNineKeepsTheWholeIntegerPart) {
    const struct {
        const char* text;
        const char* cut;
    } cases[] = {
        {"123456.7890", "123456.78"}, {"-12345.6789", "-12345.67"}, {"123456789.0000", "123456789"},
        {"1234567890.1234", "1234567890"}, {"-123456789.5", "-123456789"}, {"12", "12"},
        {"12345678901", "12345678901"},    {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CutToNine(U(c.text)), U(c.cut)) << c.text;
}

struct ReadCase {
    const char* text;
    std::optional<float> value;
};

TEST(NumberReading, TakesTheLongestDecimalPrefixAndNothingElse) {
    const ReadCase cases[] = {
        {"1,5", 1.0f},
        {"12,5", 12.0f},
        {" 2.5", 2.5f},
        {"\t-0.25;", -0.25f},
        {"12abc", 12.0f},
        {"1.5E", 1.5f},
        {"1.5e-", 1.5f},
        {"1e3", 1000.0f},
        {"1.5E2", 150.0f},
        {"+.5", 0.5f},
        {"3.4e38", 3.4e38f},
        // Only the decimal "0" before the 'x' is read, never the hexadecimal float 8.
        {"0x1p3", 0.0f},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"e5", std::nullopt},
        {"abc", std::nullopt},
        {"nan", std::nullopt},
        {"NAN", std::nullopt},
        {"inf", std::nullopt},
        {"-infinity", std::nullopt},
        // A value no float holds would be stored as infinity.
        {"1e39", std::nullopt},
        {"-1e39", std::nullopt},
        {"1e999", std::nullopt},
        {"3.4028235e38", 3.4028235e38f},
        // Rounded once, from the text to the float, never through a double.
        {"1.000000059604644775390625000000001", 1.00000011920928955078125f},
        // Too small for a float: zero, as "%f" reads it.
        {"1e-400", 0.0f},
        {"б1", std::nullopt},
        {"−1", std::nullopt},  // U+2212, not the hyphen-minus
    };
    for (const ReadCase& c : cases) {
        const QString text = U(c.text);
        EXPECT_EQ(ReadFloat(text), c.value) << '"' << c.text << '"';
        EXPECT_EQ(ReadFloat(std::string_view(c.text)), c.value) << '"' << c.text << '"';
        EXPECT_EQ(ParseFloat(c.text), c.value.value_or(0.0f)) << '"' << c.text << '"';
        EXPECT_EQ(ParseFloat(text), c.value.value_or(0.0f)) << '"' << c.text << '"';
        EXPECT_EQ(IsFloatText(c.text), c.value.has_value()) << '"' << c.text << '"';
        EXPECT_EQ(IsFloatText(text), c.value.has_value()) << '"' << c.text << '"';
    }
}

TEST(NumberTexts, StayWithThePointUnderARussianLocale) {
    const std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
    const QLocale savedQt;
    ASSERT_NE(std::setlocale(LC_NUMERIC, "ru_RU.UTF-8"), nullptr) << "locales-all provides it";
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(FloatText4(1.5f), U("1.5000"));
    EXPECT_EQ(FloatText7(-2.25f), U("-2.250000"));
    EXPECT_EQ(ParseFloat("1.5"), 1.5f);
    EXPECT_EQ(ParseFloat("1,5"), 1.0f);

    UseDotDecimalSeparator();
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    EXPECT_EQ(QLocale().decimalPoint(), U("."));
    std::setlocale(LC_NUMERIC, savedC.c_str());
    QLocale::setDefault(savedQt);
}

using DecimalPointOfTheWindow = WindowTest;

TEST_F(DecimalPointOfTheWindow, BecomesThePointAtFirstShow) {
    const std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
    const QLocale savedQt;
    ASSERT_NE(std::setlocale(LC_NUMERIC, "ru_RU.UTF-8"), nullptr);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    start();
    EXPECT_STREQ(std::localeconv()->decimal_point, ".");
    EXPECT_EQ(QLocale().decimalPoint(), U("."));
    std::setlocale(LC_NUMERIC, savedC.c_str());
    QLocale::setDefault(savedQt);
}

TEST(CutFraction, CutsDigitsAfterThePointWithoutRounding) {
    const struct {
        const char* text;
        int n;
        const char* cut;
    } cases[] = {
        {"12", 4, "12"},           {"12.3", 4, "12.3"},         {"12.34567", 4, "12.3456"},
        {"12.34567", 0, "12"},     {"3.1415927", 4, "3.1415"},  {"-0.5000000", 4, "-0.5000"},
        {"1.2.3", 1, "1.2"},       {"12.5", -1, "1"},           {"12.5", 2147483647, "12.5"},
        // Counts that leave nothing give nothing.
        {"12.5", -2, ""},          {"12.5", -3, ""},            {"12.5", -2147483647 - 1, ""},
        {".5", 0, ""},             {"", 4, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CutFraction(U(c.text), c.n), U(c.cut)) << c.text << " " << c.n;
}

class ExecutableFolder : public ::testing::Test {
protected:
    ~ExecutableFolder() override { platform::SetExecutablePathOverride(std::nullopt); }
};

TEST_F(ExecutableFolder, IsThePathWithoutItsLastPart) {
    const std::string longFolder = "/" + std::string(1014, 'a');
    const struct {
        std::string path;
        std::string folder;
    } cases[] = {
        {"/opt/zkv/bin/zkvdesk", "/opt/zkv/bin"},
        {"/zkvdesk", ""},
        {"/home/метролог/zkvdesk", "/home/метролог"},
        {longFolder + "/zkvdesk", longFolder},  // 1023 characters in all
        {longFolder + "/zkvdesk1", "Error GetModuleFileName()"},
        // ExecutablePath() gives nothing for a path it could not read whole.
        {"", "Error GetModuleFileName()"},
        {"zkvdesk", "Error GetModuleFileName()"},
    };
    for (const auto& c : cases) {
        platform::SetExecutablePathOverride(QString::fromStdString(c.path));
        EXPECT_EQ(std::string(ExeDir()), c.folder) << c.path.size() << " " << c.path;
    }
    EXPECT_EQ(ExeDir(), ExeDir()) << "one buffer";
}

TEST_F(ExecutableFolder, OfTheRunningProgram) {
    testing_support::EnsureApplication();
    EXPECT_EQ(QByteArray(ExeDir()), QFile::encodeName(QCoreApplication::applicationDirPath()));
}

std::chrono::system_clock::time_point LocalTime(int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

TEST(TodayText, IsTheLocalDate) {
    const struct {
        std::chrono::system_clock::time_point now;
        const char* text;
    } cases[] = {
        {LocalTime(2024, 3, 7, 12, 0), "2024.03.07"},
        {LocalTime(1999, 12, 31, 23, 59), "1999.12.31"},
        {LocalTime(2030, 1, 1, 0, 0), "2030.01.01"},
    };
    for (const auto& c : cases) {
        const platform::WallClock previous = platform::SetWallClock([&] { return c.now; });
        EXPECT_STREQ(TodayText(), c.text);
        platform::SetWallClock(previous);
    }
}

}  // namespace
