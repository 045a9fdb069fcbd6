#pragma once

#include <string>

namespace platform {

// printf's "%.<decimals>f" in the C locale, whatever the process locale says.
std::string FormatFixed(double value, int decimals);
// printf's "%.<significant>g" in the C locale: no trailing zeros, exponent only for extreme values.
std::string FormatGeneral(double value, int significant);

}  // namespace platform
