#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/model/channel_conversion.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/support/printers.h"

namespace {

// Channel 1 of a set-up record, 0..upper in the given units, with its output range and
// characteristic (0 linear, 1 square, -1 no current output).
class ChannelConversion : public ::testing::Test {
protected:
    void setChannel(const char* output, std::int32_t characteristic, float upper = 100.0f,
                    const char* units = "  кПа") {
        SetChannelText(record.data(), 1, channel::OutputText, U(output));
        SetChannelInt(record.data(), 1, channel::Dependency, characteristic);
        SetChannelFloat(record.data(), 1, channel::LowerLimit, 0.0f);
        SetChannelFloat(record.data(), 1, channel::UpperLimit, upper);
        SetChannelText(record.data(), 1, channel::UnitsText, U(units));
    }

    std::vector<std::uint8_t> record = std::vector<std::uint8_t>(kSetupRecordSize, 0);
};

TEST_F(ChannelConversion, FollowsTheOutputRangeAndCharacteristic) {
    const struct {
        const char* output;
        std::int32_t characteristic;
        const char* answer;
        float current;
        float pressure;
        float error;  // against 50 kPa over the 100 kPa span
    } cases[] = {
        {"4 - 20 мА", 0, "12.0000", 12.0f, 50.0f, 0.0f},
        {"4 - 20 мА", 1, "12.0000", 12.0f, 25.0f, -25.0f},
        {"4 - 20 мА", 1, "3.0000", 3.0f, -0.390625f, -50.390625f},
        {"20 - 4 мА", 0, "20.0000", 20.0f, 0.0f, -50.0f},
        {"20 - 4 мА", 0, "4.0000", 4.0f, 100.0f, 50.0f},
        {"0 - 5 мА", 0, "2.5000", 2.5f, 50.0f, 0.0f},
        {"5 - 0 мА", 1, "0", 0.0f, 100.0f, 50.0f},
        {"4 - 20 мА", 0, "  8.5 mA", 8.5f, 28.125f, -21.875f},  // blanks before, words after the number
    };
    for (const auto& c : cases) {
        setChannel(c.output, c.characteristic);
        const ChannelReading reading = ConvertChannelAnswer(record.data(), 1, U(c.answer), 50.0f);
        EXPECT_EQ(reading.result, 0) << c.output << " " << c.answer;
        EXPECT_FLOAT_EQ(reading.pressure, c.pressure) << c.output << " " << c.answer;
        EXPECT_TRUE(reading.hasCurrent);
        EXPECT_EQ(reading.current, c.current) << c.output << " " << c.answer;
        EXPECT_FLOAT_EQ(reading.error, c.error) << c.output << " " << c.answer;
    }
}

TEST_F(ChannelConversion, TakesTheReferenceInTheChannelsUnits) {
    setChannel("4 - 20 мА", 0, 1.0f, "  МПа");
    const ChannelReading reading = ConvertChannelAnswer(record.data(), 1, "5.6160", 50.0f);
    ASSERT_EQ(reading.result, 0);
    EXPECT_NEAR(reading.pressure, 0.101f, 1e-6);
    EXPECT_NEAR(reading.error, 5.1f, 1e-4) << "0.101 MPa against 50 kPa over a 1 MPa span";
    EXPECT_EQ(ReferenceInChannelUnits(record.data(), 1, 50.0f), 0.05f);
    EXPECT_EQ(ReferenceInChannelUnits(nullptr, 1, 50.0f), 50.0f) << "no record: kPa";
}

TEST_F(ChannelConversion, AChannelWithoutCurrentOutputAnswersWithItsPressure) {
    setChannel("- нет -", -1);
    const ChannelReading reading = ConvertChannelAnswer(record.data(), 1, "12.5", 50.0f);
    ASSERT_EQ(reading.result, 0);
    EXPECT_EQ(reading.pressure, 12.5f);
    EXPECT_FALSE(reading.hasCurrent);
    EXPECT_EQ(reading.current, 0.0f);
    EXPECT_EQ(reading.error, -37.5f);
}

TEST_F(ChannelConversion, RefusesWhatItCannotConvert) {
    const struct {
        const char* output;
        float upper;
        QString answer;
        int result;
    } cases[] = {
        {"1 - 2 мА", 100.0f, "12", -10},          // an output range nobody knows
        {"4 - 20 мА", 100.0f, "abc", -1},         // no number in the answer
        {"4 - 20 мА", 100.0f, QString(), -1},     // no answer at all
        {"4 - 20 мА", 0.0f, "12", -2},            // the span is empty
    };
    for (const auto& c : cases) {
        setChannel(c.output, 0, c.upper);
        EXPECT_EQ(ConvertChannelAnswer(record.data(), 1, c.answer, 50.0f).result, c.result) << c.output;
    }
    EXPECT_EQ(ConvertChannelAnswer(nullptr, 1, "12", 50.0f).result, -10) << "no set-up";
}

TEST(SignedSquare, KeepsTheSign) {
    const struct {
        float x;
        float square;
    } cases[] = {{2.0f, 4.0f}, {0.5f, 0.25f}, {-0.5f, -0.25f}, {-3.0f, -9.0f}, {0.0f, 0.0f}};
    for (const auto& c : cases) EXPECT_EQ(SignedSquare(c.x), c.square) << c.x;
}

TEST_F(ChannelConversion, ToleranceIsTheChannelsTimesTheErrorFactor) {
    const struct {
        float tolerance;
        float factor;
        float error;
        bool out;
    } cases[] = {
        {0.5f, 1.0f, 0.5f, false},  {0.5f, 1.0f, 0.51f, true},   {0.5f, 1.0f, -0.6f, true},
        {0.5f, 0.5f, 0.3f, true},   {0.5f, 0.5f, -0.25f, false}, {-0.5f, 1.0f, 0.4f, false},
        {0.5f, 0.0f, 0.0f, false},  {0.5f, 0.0f, 0.01f, true},
    };
    for (const auto& c : cases) {
        SetChannelFloat(record.data(), 2, channel::Tolerance, c.tolerance);
        WriteFloat32(record.data(), setup::ErrorFactor, c.factor);
        EXPECT_EQ(OutOfTolerance(record.data(), 2, c.error), c.out) << c.tolerance << " " << c.factor << " " << c.error;
    }
    EXPECT_FALSE(OutOfTolerance(nullptr, 2, 1e9f)) << "no set-up";
}

}  // namespace
