#include "app/model/channel_conversion.h"

#include <cmath>
#include <optional>

#include "app/model/pressure_units.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "app/model/value_text.h"
#include "platform/class_library/utf8_literal.h"

float SignedSquare(float x) { return x > 0.0f ? x * x : -(x * x); }

float ReferenceInChannelUnits(const std::uint8_t* setupRecord, int channel, float kpa) {
    const QString units = setupRecord ? ChannelText(setupRecord, channel, channel::UnitsText) : QString();
    const float factor = FindUnitFactor(units).value_or(1.0f);
    return static_cast<float>(static_cast<double>(kpa) / static_cast<double>(factor));
}

ChannelReading CurrentToPressure(const QString& text, std::uint8_t characteristic, float iHigh, float iLow,
                                 float pUpper, float pLower, float reference) {
    ChannelReading reading;
    const std::optional<float> read = text.isNull() ? std::nullopt : ReadFloat(text);
    if (!read) {
        reading.result = -1;
        return reading;
    }
    if (pLower == pUpper) {
        reading.result = -2;
        return reading;
    }
    const double x = static_cast<double>(*read);
    const auto dI = static_cast<float>(static_cast<double>(iHigh) - static_cast<double>(iLow));
    const auto dP = static_cast<float>(static_cast<double>(pUpper) - static_cast<double>(pLower));
    double p = 0.0;
    if (characteristic == kNoOutput) {
        p = x;
    } else if (characteristic == 1) {
        const auto ratio = static_cast<float>((x - static_cast<double>(iLow)) / static_cast<double>(dI));
        p = static_cast<double>(pLower) + static_cast<double>(SignedSquare(ratio)) * static_cast<double>(dP);
    } else {
        p = static_cast<double>(pLower) + (x - static_cast<double>(iLow)) / static_cast<double>(dI) * static_cast<double>(dP);
    }
    reading.pressure = static_cast<float>(p);
    reading.error = static_cast<float>((static_cast<double>(reading.pressure) - static_cast<double>(reference)) /
                                       (static_cast<double>(pUpper) - static_cast<double>(pLower)) * 100.0);
    if (characteristic != kNoOutput) {
        reading.current = *read;
        reading.hasCurrent = true;
    }
    return reading;
}

ChannelReading ConvertChannelAnswer(const std::uint8_t* setupRecord, int channel, const QString& text,
                                    float referenceKPa) {
    ChannelReading unknown;
    unknown.result = -10;
    if (setupRecord == nullptr) return unknown;
    const QString output = ChannelText(setupRecord, channel, channel::OutputText);
    const float upper = ChannelFloat(setupRecord, channel, channel::UpperLimit);
    const float lower = ChannelFloat(setupRecord, channel, channel::LowerLimit);
    const auto characteristic = static_cast<std::uint8_t>(ChannelInt(setupRecord, channel, channel::Dependency) & 0xFF);
    const float reference = ReferenceInChannelUnits(setupRecord, channel, referenceKPa);
    const struct {
        const char* text;
        float high;
        float low;
    } ranges[] = {{"4 - 20 мА", 20, 4}, {"0 - 5 мА", 5, 0}, {"20 - 4 мА", 4, 20}, {"5 - 0 мА", 0, 5}};
    for (const auto& range : ranges) {
        if (output == U(range.text))
            return CurrentToPressure(text, characteristic, range.high, range.low, upper, lower, reference);
    }
    if (output.contains(U("нет"))) return CurrentToPressure(text, kNoOutput, 99, 99, upper, lower, reference);
    return unknown;
}

bool OutOfTolerance(const std::uint8_t* setupRecord, int channel, float error) {
    if (setupRecord == nullptr) return false;
    const float limit = static_cast<float>(static_cast<double>(ChannelFloat(setupRecord, channel, channel::Tolerance)) *
                                           static_cast<double>(ReadFloat32(setupRecord, setup::ErrorFactor)));
    return std::fabs(error) > std::fabs(limit);
}
