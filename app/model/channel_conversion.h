#pragma once

#include <QString>
#include <cstdint>

// The measurement's arithmetic: a channel's answer to pressure, current and error, and the
// tolerance test of an error.

// The characteristic of a channel without current output: its answer is the pressure itself.
inline constexpr std::uint8_t kNoOutput = 0xFF;

// What a channel's answer converts to.
struct ChannelReading {
    // 0; -1 when the answer holds no number, -2 for a channel with an empty span, -10 for an
    // output range that is not known.
    int result = 0;
    float pressure = 0.0f;  // P, in the channel's units
    float current = 0.0f;   // I, mA; none for a channel without current output
    bool hasCurrent = false;
    float error = 0.0f;  // E, % of the span
};

// The sign survives the square: x * x for x > 0, else -(x * x).
float SignedSquare(float x);

// The kPa value in the units of channel 1..4 of the set-up record; an unknown unit (said when the
// run started), or no record, counts as kPa.
float ReferenceInChannelUnits(const std::uint8_t* setupRecord, int channel, float kpa);

// The answer (a null text: none came) of a channel whose current runs from iLow to iHigh over
// pLower..pUpper, against the reference in the channel's units. Characteristic 1 is the square
// one, kNoOutput a channel without current output, any other linear.
ChannelReading CurrentToPressure(const QString& text, std::uint8_t characteristic, float iHigh, float iLow,
                                 float pUpper, float pLower, float reference);
// The answer of channel 1..4 as its set-up says: output range, characteristic, limits and units.
ChannelReading ConvertChannelAnswer(const std::uint8_t* setupRecord, int channel, const QString& text,
                                    float referenceKPa);

// |error| > |tolerance * error factor| of the channel; never without a record.
bool OutOfTolerance(const std::uint8_t* setupRecord, int channel, float error);
