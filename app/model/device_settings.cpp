#include "app/model/device_settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/model/value_text.h"
#include "link/answer_parser.h"
#include "platform/number_scan.h"

namespace {

constexpr int kOnOffItems = 2;
constexpr int kFirstReferenceUnit = 6;  // "кПа", then "МПа"
constexpr int kReferenceUnitItems = 2;
constexpr int kFirstSensorUnit = 5;  // "Па" .. "psi"
constexpr int kSensorUnitItems = 8;

// The list item that stands for a byte, or -1.
int ItemOf(std::uint8_t byte, int first, int items) {
    const int index = byte - first;
    return index >= 0 && index < items ? index : -1;
}

// "%.7f" cut to nine characters, then to four fraction digits.
QString LimitText(float value) { return CutFraction(FloatText7(value), 4); }

QString FactoryNumberText(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%07d", static_cast<int>(value));
    return QString::fromLatin1(text);
}

void TakeItem(std::uint8_t& field, int shown, int now, int first) {
    if (now != shown && now >= 0) field = static_cast<std::uint8_t>(now + first);
}

void TakeSpin(std::uint8_t& field, int shown, int now) {
    if (now != shown) field = static_cast<std::uint8_t>(now);
}

bool TakeLimit(float& field, const QString& shown, const QString& now) {
    if (now == shown) return true;
    const std::optional<float> value = ReadFloat(now);
    if (!value) return false;
    field = *value;
    return true;
}

void TakeFactoryNumber(std::int32_t& field, const QString& shown, const QString& now) {
    if (now == shown) return;
    const QByteArray text = now.toLatin1();
    if (const std::optional<int> value =
            platform::ScanInteger(std::string_view(text.constData(), text.size())))
        field = *value;
}

}  // namespace

TDeviceSettings DefaultDeviceSettings() {
    TDeviceSettings record;
    std::memset(&record, 0, sizeof record);
    record.Year = 7;
    record.Averaging = 1;
    record.Digits = 2;
    record.Buzzer = 1;
    record.AutoOff = 1;
    record.RefUnit = 6;
    record.SensorUnit = 5;
    record.CurrentRange = 1;
    record.RefHi = 1000.0f;
    return record;
}

std::array<std::uint8_t, kDeviceSettingsSize> SettingsBytes(const TDeviceSettings& record) {
    std::array<std::uint8_t, kDeviceSettingsSize> bytes;
    std::memcpy(bytes.data(), &record, bytes.size());
    return bytes;
}

int PutSettingsHex(TDeviceSettings& record, int first, std::string_view hex) {
    if (first < 0 || first >= kDeviceSettingsSize) return 0;
    std::uint8_t bytes[kDeviceSettingsSize];
    const int count = HexToBytes(bytes, hex, kDeviceSettingsSize - first);
    std::memcpy(reinterpret_cast<std::uint8_t*>(&record) + first, bytes, static_cast<std::size_t>(count));
    return count;
}

SettingsView ViewOfSettings(const TDeviceSettings& record) {
    SettingsView view;
    view.year = record.Year;
    view.averaging = record.Averaging;
    view.digits = record.Digits;
    view.supplyVoltage = ItemOf(record.SupplyVoltage, 0, kOnOffItems);
    view.relayTest = ItemOf(record.RelayTest, 0, kOnOffItems);
    view.buzzer = ItemOf(record.Buzzer, 0, kOnOffItems);
    view.autoOff = ItemOf(record.AutoOff, 0, kOnOffItems);
    view.currentRange = ItemOf(record.CurrentRange, 0, kOnOffItems);
    view.refUnit = ItemOf(record.RefUnit, kFirstReferenceUnit, kReferenceUnitItems);
    view.sensorUnit = ItemOf(record.SensorUnit, kFirstSensorUnit, kSensorUnitItems);
    view.refHi = LimitText(record.RefHi);
    view.refLo = LimitText(record.RefLo);
    view.sensorHiP = LimitText(record.SensorHiP);
    view.sensorLoP = LimitText(record.SensorLoP);
    for (int i = 0; i < 4; ++i) view.sensorNo[i] = FactoryNumberText(record.SensorNo[i]);
    return view;
}

SettingsFromForm SettingsFromView(const TDeviceSettings& record, const SettingsView& shown,
                                  const SettingsView& now) {
    TDeviceSettings r = record;
    TakeSpin(r.Year, shown.year, now.year);
    TakeSpin(r.Averaging, shown.averaging, now.averaging);
    TakeSpin(r.Digits, shown.digits, now.digits);
    TakeItem(r.SupplyVoltage, shown.supplyVoltage, now.supplyVoltage, 0);
    TakeItem(r.RelayTest, shown.relayTest, now.relayTest, 0);
    TakeItem(r.Buzzer, shown.buzzer, now.buzzer, 0);
    TakeItem(r.AutoOff, shown.autoOff, now.autoOff, 0);
    TakeItem(r.CurrentRange, shown.currentRange, now.currentRange, 0);
    TakeItem(r.RefUnit, shown.refUnit, now.refUnit, kFirstReferenceUnit);
    TakeItem(r.SensorUnit, shown.sensorUnit, now.sensorUnit, kFirstSensorUnit);
    const struct {
        float& field;
        const QString& shown;
        const QString& now;
        SettingsLimit limit;
    } limits[] = {{r.SensorHiP, shown.sensorHiP, now.sensorHiP, SettingsLimit::SensorHiP},
                  {r.SensorLoP, shown.sensorLoP, now.sensorLoP, SettingsLimit::SensorLoP},
                  {r.RefHi, shown.refHi, now.refHi, SettingsLimit::RefHi},
                  {r.RefLo, shown.refLo, now.refLo, SettingsLimit::RefLo}};
    for (const auto& l : limits) {
        if (!TakeLimit(l.field, l.shown, l.now)) return {std::nullopt, l.limit};
    }
    for (int i = 0; i < 4; ++i) TakeFactoryNumber(r.SensorNo[i], shown.sensorNo[i], now.sensorNo[i]);
    return {r, SettingsLimit::SensorHiP};
}
