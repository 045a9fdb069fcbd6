#include "platform/text/number_format.h"

#include <charconv>

namespace platform {

std::string FormatFixed(double value, int decimals) {
    char text[400];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return {};
    return std::string(text, end);
}

std::string FormatGeneral(double value, int significant) {
    char text[400];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::general, significant);
    if (ec != std::errc()) return {};
    return std::string(text, end);
}

}  // namespace platform
