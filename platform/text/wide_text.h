#pragma once

#include <string>
#include <string_view>

namespace platform {

// Text conversions without Qt, for the parts that run outside the widgets (the report library,
// the automation layer). Records keep code page 1251; automation strings are UTF-16; debug lines
// and files of our own are UTF-8.

// Every byte becomes one character; the byte 0x98, which code page 1251 leaves unassigned, reads
// as U+FFFD so that damage shows.
std::u16string WideFromCp1251(std::string_view bytes);
// Characters code page 1251 cannot hold become '?' (a surrogate pair counts as one character).
std::string Cp1251FromWide(std::u16string_view text);

// Malformed input becomes U+FFFD; it is never dropped silently.
std::u16string WideFromUtf8(std::string_view bytes);
std::string Utf8FromWide(std::u16string_view text);

}  // namespace platform
