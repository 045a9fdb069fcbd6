#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <optional>

#include "platform/number_format.h"
#include "platform/number_scan.h"

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
