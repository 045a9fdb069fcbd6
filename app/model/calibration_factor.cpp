#include "app/model/calibration_factor.h"

#include <cmath>
#include <limits>

std::optional<float> ScaledCalibFactor(float factor, float measured, float sample) {
    if (sample == 0.0f) return std::nullopt;
    const long double scaled = static_cast<long double>(factor) * measured / sample;
    if (!std::isfinite(scaled) || std::fabs(scaled) > std::numeric_limits<float>::max()) return std::nullopt;
    return static_cast<float>(scaled);
}
