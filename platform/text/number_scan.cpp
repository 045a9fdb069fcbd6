#include "platform/text/number_scan.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace platform {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Where the longest decimal prefix of a text lies: the number without its sign runs from start to
// end (end also counts the blanks and the sign before it).
struct DecimalPrefix {
    bool negative = false;
    std::size_t start = 0;
    std::size_t end = 0;
};

std::optional<DecimalPrefix> FindDecimalPrefix(std::string_view text) {
    DecimalPrefix prefix;
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        prefix.negative = text[pos] == '-';
        ++pos;
    }
    prefix.start = pos;
    std::size_t digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    }
    if (digits == 0) return std::nullopt;
    // "0x1p3" must not read as anything but 0: the scan above stops at the 'x' already.
    prefix.end = pos;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exp = pos + 1;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
        std::size_t expDigits = 0;
        while (exp < text.size() && IsDigit(text[exp])) ++exp, ++expDigits;
        if (expDigits > 0) prefix.end = exp;
    }
    return prefix;
}

// Whether a number (digits, '.', exponent; no sign) is at least 1 in magnitude: the power of ten
// of its first significant digit is not negative. Used only for numbers out of range, so a
// mantissa of zeros does not occur.
bool ReachesOne(std::string_view number) {
    const std::size_t exponentAt = std::min(number.find_first_of("eE"), number.size());
    const std::string_view mantissa = number.substr(0, exponentAt);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return false;
    long long power = first < point ? static_cast<long long>(point - first) - 1
                                    : -static_cast<long long>(first - point);
    long long exponent = 0;
    bool negativeExponent = false;
    for (std::size_t i = exponentAt + 1; i < number.size(); ++i) {
        if (number[i] == '-') negativeExponent = true;
        // Far beyond any floating type's range either way; the exact size no longer matters.
        if (IsDigit(number[i])) exponent = std::min(exponent * 10 + (number[i] - '0'), 1000000LL);
    }
    power += negativeExponent ? -exponent : exponent;
    return power >= 0;
}

template <typename Number>
std::optional<Number> Scan(std::string_view text, std::size_t* consumed) {
    const std::optional<DecimalPrefix> prefix = FindDecimalPrefix(text);
    if (!prefix) return std::nullopt;
    const std::string_view number = text.substr(prefix->start, prefix->end - prefix->start);
    Number value{};
    const auto [ptr, ec] =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too large is no number; too small reads as zero, as "%f" reads it.
        if (ReachesOne(number)) return std::nullopt;
        value = Number{};
    } else if (ec != std::errc() || ptr != number.data() + number.size()) {
        return std::nullopt;
    }
    if (consumed) *consumed = prefix->end;
    return prefix->negative ? -value : value;
}

}  // namespace

std::optional<double> ScanDecimal(std::string_view text, std::size_t* consumed) {
    return Scan<double>(text, consumed);
}

std::optional<float> ScanFloat(std::string_view text, std::size_t* consumed) { return Scan<float>(text, consumed); }

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
