#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "app/model/calibration_factor.h"
#include "app/model/value_text.h"
#include "tests/support/printers.h"

namespace {

// Expected texts worked out by hand from the float inputs, not by the code under test.
TEST(CalibrationFactor, ScalesThePresentCoefficientByMeasuredOverTrueCurrent) {
    struct Case {
        float factor, measured, sample;
        const char* text;
    } cases[] = {
        {1.0f, 4.02f, 4.00f, "1.0050000"},
        {250.0f, 20.0f, 10.0f, "500.00000"},  // nine characters, the last digit cut
        {1.2345f, 12.0f, 11.0f, "1.3467274"},
        {1.0f, 3.99f, 4.0f, "0.9975000"},
        {0.98765f, 19.87f, 20.0f, "0.9812303"},
        {1.0f, -4.0f, 4.0f, "-1.000000"},
        {1.0f, 0.0f, 4.0f, "0.0000000"},
    };
    for (const Case& c : cases) {
        const std::optional<float> factor = ScaledCalibFactor(c.factor, c.measured, c.sample);
        ASSERT_TRUE(factor) << c.text;
        EXPECT_EQ(FloatText7(*factor), c.text);
    }
}

TEST(CalibrationFactor, GivesNothingForNoTrueCurrentOrAResultBeyondAFloat) {
    const float big = std::numeric_limits<float>::max();
    struct Case {
        float factor, measured, sample;
    } cases[] = {{1.0f, 4.0f, 0.0f}, {1.0f, 0.0f, -0.0f}, {big, 10.0f, 1.0f}, {1.0f, 20.0f, 1e-38f}};
    for (const Case& c : cases) {
        EXPECT_FALSE(ScaledCalibFactor(c.factor, c.measured, c.sample)) << c.factor << " " << c.measured << " " << c.sample;
    }
    // Wider arithmetic keeps a product beyond a float that the division brings back.
    const std::optional<float> back = ScaledCalibFactor(big, 4.0f, 8.0f);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, big / 2.0f);
}

}  // namespace
