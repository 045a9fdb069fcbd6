#pragma once

#include <optional>

// The calibration coefficient that makes a channel show the true current: the present
// coefficient scaled by the measured over the true current, worked out wider and kept as a float.
// Nothing when the true current is 0 or the result does not fit a float.
std::optional<float> ScaledCalibFactor(float factor, float measured, float sample);
