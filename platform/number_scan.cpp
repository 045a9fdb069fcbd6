#include "platform/number_scan.h"

#include <charconv>
#include <string>

namespace platform {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::optional<double> ScanDecimal(std::string_view text, std::size_t* consumed) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;

    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t mantissaStart = pos;
    std::size_t digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    }
    if (digits == 0) return std::nullopt;
    // "0x1p3" must not read as anything but 0: the scan above stops at the 'x' already.
    std::size_t end = pos;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exp = pos + 1;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
        std::size_t expDigits = 0;
        while (exp < text.size() && IsDigit(text[exp])) ++exp, ++expDigits;
        if (expDigits > 0) end = exp;
    }

    const std::string number(text.substr(mantissaStart, end - mantissaStart));
    double value = 0.0;
    const auto [ptr, ec] =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    if (ec != std::errc() || ptr != number.data() + number.size()) return std::nullopt;
    if (consumed) *consumed = end;
    return negative ? -value : value;
}

std::optional<int> ScanInteger(std::string_view text) {
    const std::size_t length = IntegerLength(text);
    if (length == 0) return std::nullopt;
    std::size_t pos = 0;
    while (IsBlank(text[pos])) ++pos;
    const bool negative = text[pos] == '-';
    if (!IsDigit(text[pos])) ++pos;
    long long value = 0;
    for (; pos < length; ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL || value < -2147483648LL) return std::nullopt;
    return static_cast<int>(value);
}

std::size_t IntegerLength(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    const std::size_t digits = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos == digits ? 0 : pos;
}

}  // namespace platform
