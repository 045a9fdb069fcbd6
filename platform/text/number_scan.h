#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace platform {

// The one reader of number texts, from the user, from files and from the line. Reads like
// scanf's "%f" in the C locale: leading blanks, an optional sign, digits with at most one '.',
// an optional exponent that counts only when digits follow it, and takes the longest such
// prefix. "nan", "inf", hexadecimal floats and values beyond the double range are not numbers;
// a value too small for a double reads as 0. When consumed is given it receives the number of
// characters read (blanks included).
std::optional<double> ScanDecimal(std::string_view text, std::size_t* consumed = nullptr);

// The same reading into a float, rounded once, from the decimal text straight to the float as
// "%f" into a float rounds (never through a double first). A value beyond the float range is not
// a number; one too small for a float reads as 0. Every number text that becomes a float is read
// here.
std::optional<float> ScanFloat(std::string_view text, std::size_t* consumed = nullptr);

// Reads like scanf's "%d": leading blanks, an optional sign, then the digits that follow; the rest
// is ignored. Nothing without digits, or for a value outside int.
std::optional<int> ScanInteger(std::string_view text);

// How many characters "%d" takes from the start of the text: leading blanks, an optional sign and
// the digits after it; 0 when no digit follows (the text holds no integer). Only the extent is
// told, never the value, so an integer of any length is read and none overflows.
std::size_t IntegerLength(std::string_view text);

}  // namespace platform
