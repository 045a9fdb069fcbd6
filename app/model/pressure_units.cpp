#include "app/model/pressure_units.h"

#include <bit>

#include "app/model/setup_record.h"
#include "platform/class_library/dialogs.h"

namespace {

// The factors are exactly these single-precision values, whatever a decimal literal would round to.
constexpr std::array<PressureUnit, 8> kUnits = {{
    {"кПа", std::bit_cast<float>(0x3F800000u)},
    {"МПа", std::bit_cast<float>(0x447A0000u)},
    {"Па", std::bit_cast<float>(0x3A83126Fu)},
    {"кгс/см2", std::bit_cast<float>(0x42C4220Cu)},
    {"кгс/м2", std::bit_cast<float>(0x3C20AC12u)},
    {"мм.рт.ст.", std::bit_cast<float>(0x3E0885A9u)},
    {"бар", std::bit_cast<float>(0x42C80000u)},
    {"psi", std::bit_cast<float>(0x40DCA1E0u)},
}};

// Codes 5..12 in the instrument's own order.
constexpr const char* kInstrumentUnits[] = {"Па", "кПа", "МПа", "кгс/см2", "кгс/м2", "мм.рт.ст.", "бар", "psi"};
constexpr int kFirstUnitCode = 5;

}  // namespace

const std::array<PressureUnit, 8>& PressureUnits() { return kUnits; }

std::optional<float> FindUnitFactor(const QString& unitText) {
    for (const PressureUnit& unit : kUnits) {
        if (unitText.contains(QString::fromUtf8(unit.text), Qt::CaseSensitive)) return unit.factor;
    }
    return std::nullopt;
}

float UnitFactor(const QString& unitText) {
    if (const std::optional<float> factor = FindUnitFactor(unitText)) return *factor;
    platform::ShowMessage(QString::fromUtf8("Не найдена единица измерения !!!"));
    return 1.0f;
}

float FromKPa(const QString& unitText, float kpa) {
    return static_cast<float>(static_cast<double>(kpa) / static_cast<double>(UnitFactor(unitText)));
}

float ChannelFromKPa(const std::uint8_t* setupRecord, float kpa, int channel) {
    const bool known = setupRecord != nullptr && channel >= 1 && channel <= 4;
    return FromKPa(known ? ChannelText(setupRecord, channel, channel::UnitsText) : QString(), kpa);
}

QString InstrumentUnitText(int code) {
    const int index = code - kFirstUnitCode;
    if (index < 0 || index >= static_cast<int>(std::size(kInstrumentUnits))) return {};
    return QString::fromUtf8(kInstrumentUnits[index]);
}
