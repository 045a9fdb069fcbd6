#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/text/number_format.h"
#include "platform/text/number_scan.h"

namespace {

struct ScanCase {
    const char* text;
    std::optional<double> value;
    std::size_t consumed;
};

TEST(ScanDecimal, ReadsTheLongestDecimalPrefixOnly) {
    const ScanCase cases[] = {
        {"12.5", 12.5, 4},
        {"  -3.25xyz", -3.25, 7},
        {"+7", 7.0, 2},
        {"12,5", 12.0, 2},
        {"1.5E", 1.5, 3},
        {"1.5e-", 1.5, 3},
        {"1.5e+2", 150.0, 6},
        {"2E3;", 2000.0, 3},
        {".5", 0.5, 2},
        {"5.", 5.0, 2},
        {"0x1p3", 0.0, 1},
        {"4.0125", 4.0125, 6},
        {"", std::nullopt, 0},
        {"   ", std::nullopt, 0},
        {"abc", std::nullopt, 0},
        {"-", std::nullopt, 0},
        {".", std::nullopt, 0},
        {"nan", std::nullopt, 0},
        {"inf", std::nullopt, 0},
        {"-infinity", std::nullopt, 0},
        {"1e999", std::nullopt, 0},
        {"-1e999", std::nullopt, 0},
        // Too small for a double reads as zero, as "%f" reads it.
        {"1e-400", 0.0, 6},
        {"-1e-400x", -0.0, 7},
    };
    for (const ScanCase& c : cases) {
        std::size_t consumed = 0;
        const std::optional<double> value = platform::ScanDecimal(c.text, &consumed);
        EXPECT_EQ(value, c.value) << "text: \"" << c.text << "\"";
        if (c.value) {
            EXPECT_EQ(consumed, c.consumed) << "text: \"" << c.text << "\"";
        }
    }
}

struct FloatScanCase {
    const char* text;
    std::optional<float> value;
    std::size_t consumed;
};

TEST(ScanFloat, RoundsOnceFromTheTextAndKeepsToTheFloatRange) {
    const FloatScanCase cases[] = {
        {"12.5", 12.5f, 4},
        {"  -3.25xyz", -3.25f, 7},
        {"12,5", 12.0f, 2},
        {"1.5e-", 1.5f, 3},
        {"0x1p3", 0.0f, 1},
        {"0.1", 0.1f, 3},
        // Just above the midpoint of 1 and the next float: straight to float it rounds up; through
        // a double it would first land on the midpoint itself and then round to even, to 1.
        {"1.000000059604644775390625000000001", 1.00000011920928955078125f, 35},
        // The midpoint itself rounds to even.
        {"1.000000059604644775390625", 1.0f, 26},
        {"3.4028235e38", 3.4028235e38f, 12},
        {"-3.4028235e38", -3.4028235e38f, 13},
        {"3.4028235677973366e38", 3.4028235e38f, 21},
        // A float cannot hold these: no number, never infinity.
        {"1e39", std::nullopt, 0},
        {"-1e39", std::nullopt, 0},
        {"3.4028236e38", std::nullopt, 0},
        {"340282360000000000000000000000000000000", std::nullopt, 0},
        {"1e999", std::nullopt, 0},
        // Too small for a float reads as zero.
        {"1e-400", 0.0f, 6},
        {"1e-46", 0.0f, 5},
        {"0.00000000000000000000000000000000000000000000001", 0.0f, 49},
        {"-1e-400", -0.0f, 7},
        {"1.4e-45", 1.4e-45f, 7},
        {"", std::nullopt, 0},
        {"-", std::nullopt, 0},
        {".", std::nullopt, 0},
        {"nan", std::nullopt, 0},
        {"inf", std::nullopt, 0},
        {"-infinity", std::nullopt, 0},
    };
    for (const FloatScanCase& c : cases) {
        std::size_t consumed = 0;
        const std::optional<float> value = platform::ScanFloat(c.text, &consumed);
        EXPECT_EQ(value, c.value) << "text: \"" << c.text << "\"";
        if (c.value) {
            EXPECT_EQ(consumed, c.consumed) << "text: \"" << c.text << "\"";
            EXPECT_EQ(std::signbit(*value), std::signbit(*c.value)) << "text: \"" << c.text << "\"";
        }
    }
}

TEST(NumberTexts, IgnoreTheProcessLocale) {
    // A Russian user's locale writes and reads "%f" with a comma; the link never may.
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "ru_RU.UTF-8"), nullptr) << "locales-all provides it";
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);
    EXPECT_STREQ(printed, "1,5") << "the locale is in force";
    EXPECT_EQ(platform::FormatFixed(12.5, 6), "12.500000");
    EXPECT_EQ(platform::ScanDecimal("12.5"), 12.5);
    EXPECT_EQ(platform::ScanDecimal("12,5"), 12.0);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatFixed, MatchesPrintfFixedNotation) {
    struct Case {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {0.0, 6, "0.000000"},       {12.5, 6, "12.500000"},   {-0.5, 4, "-0.5000"},
        {4.01254, 4, "4.0125"},     {1e7, 1, "10000000.0"},   {0.000049, 4, "0.0000"},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::FormatFixed(c.value, c.decimals), c.text) << c.value;
}

}  // namespace

namespace {

TEST(ScanInteger, ReadsTheLeadingIntegerLikePercentD) {
    const struct {
        const char* text;
        std::optional<int> value;
    } cases[] = {{"43", 43},      {" -7x", -7},   {"6.0000", 6},  {"+12", 12},         {"", std::nullopt},
                 {"x1", std::nullopt}, {"-", std::nullopt}, {"2147483647", 2147483647}, {"2147483648", std::nullopt},
                 {"-2147483648", -2147483647 - 1}, {"99999999999999999999", std::nullopt}};
    for (const auto& c : cases) EXPECT_EQ(platform::ScanInteger(c.text), c.value) << c.text;
}

TEST(IntegerLength, CountsWhatPercentDTakesWhateverTheValue) {
    const struct {
        const char* text;
        std::size_t length;
    } cases[] = {{"43;", 2},  {" \t\r\n-7x", 6}, {"+12", 3}, {"", 0},        {"   ", 0},
                 {"-", 0},     {"+;", 0},          {"x1", 0},  {"6.0000", 1}, {"99999999999999999999;1", 20},
                 {"\xff" "1", 0}};
    for (const auto& c : cases) EXPECT_EQ(platform::IntegerLength(c.text), c.length) << c.text;
}

}  // namespace
