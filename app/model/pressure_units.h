#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The program's one knowledge of pressure units. Pressures travel between the reference and the
// channels in kPa; a channel's values are in its own units.

struct PressureUnit {
    const char* text;  // UTF-8
    float factor;      // kPa per unit
};

// Searched in this order: "Па" after "кПа" and "МПа", which contain it.
const std::array<PressureUnit, 8>& PressureUnits();

// The factor of the first unit whose text occurs anywhere in the given text (case-sensitive).
// An unknown unit shows "Не найдена единица измерения !!!" and gives 1.0.
float UnitFactor(const QString& unitText);
// The same lookup without a word to the user: nothing for an unknown unit.
std::optional<float> FindUnitFactor(const QString& unitText);
// The kPa value in the given unit.
float FromKPa(const QString& unitText, float kpa);
// The kPa value in the units of channel 1..4 of the set-up record. A channel outside 1..4, or no
// record, counts as an unknown unit.
float ChannelFromKPa(const std::uint8_t* setupRecord, float kpa, int channel);

// The unit the instrument names by code 5..12; an empty text for every other code.
QString InstrumentUnitText(int code);
