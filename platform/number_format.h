#pragma once

#include <string>

namespace platform {

// printf's "%.<decimals>f" in the C locale, whatever the process locale says.
std::string FormatFixed(double value, int decimals);

}  // namespace platform
