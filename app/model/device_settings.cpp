#include "app/model/device_settings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/model/value_text.h"
#include "link/answer_parser.h"
#include "platform/text/number_scan.h"

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

// Takes changed controls into a copy of the record and notes the bytes each one set.
class Taker {
  public:
    explicit Taker(const TDeviceSettings& record) : record_(record) {}

    TDeviceSettings& record() { return record_; }
    const SettingsByteSet& taken() const { return taken_; }

    void item(std::uint8_t& field, int shown, int now, int first) {
        if (now == shown || now < 0) return;
        field = static_cast<std::uint8_t>(now + first);
        note(field);
    }

    void spin(std::uint8_t& field, int shown, int now) {
        if (now == shown) return;
        field = static_cast<std::uint8_t>(now);
        note(field);
    }

    bool limit(float& field, const QString& shown, const QString& now) {
        if (now == shown) return true;
        const std::optional<float> value = ReadFloat(now);
        if (!value) return false;
        field = *value;
        note(field);
        return true;
    }

    // False for a number the field cannot hold; a text without a number leaves the field.
    bool factoryNumber(std::int32_t& field, const QString& shown, const QString& now) {
        if (now == shown) return true;
        const QByteArray latin = now.toLatin1();
        const std::string_view text(latin.constData(), static_cast<std::size_t>(latin.size()));
        if (platform::IntegerLength(text) == 0) return true;
        const std::optional<int> value = platform::ScanInteger(text);
        if (!value) return false;
        field = *value;
        note(field);
        return true;
    }

  private:
    template <typename Field>
    void note(const Field& field) {
        const auto at =
            reinterpret_cast<const std::uint8_t*>(&field) - reinterpret_cast<const std::uint8_t*>(&record_);
        taken_ |= SettingsByteRange(static_cast<int>(at), static_cast<int>(sizeof field));
    }

    TDeviceSettings record_;
    SettingsByteSet taken_;
};

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

SettingsByteSet SettingsByteRange(int first, int count) {
    SettingsByteSet bytes;
    for (int k = std::max(first, 0); k < first + count && k < kDeviceSettingsSize; ++k)
        bytes.set(static_cast<std::size_t>(k));
    return bytes;
}

SettingsByteSet SensorNoBytes(int channel) {
    return SettingsByteRange(static_cast<int>(offsetof(TDeviceSettings, SensorNo)) + 4 * channel, 4);
}

int FillUnknownSettings(TDeviceSettings& record, SettingsByteSet& known, int first, std::string_view hex) {
    TDeviceSettings answer = record;
    const int count = PutSettingsHex(answer, first, hex);
    const auto from = SettingsBytes(answer);
    auto* to = reinterpret_cast<std::uint8_t*>(&record);
    for (int k = first; k < first + count; ++k) {
        const auto bit = static_cast<std::size_t>(k);
        if (!known.test(bit)) to[k] = from[bit];
        known.set(bit);
    }
    return count;
}

int FirstMissingByte(const SettingsByteSet& bytes) {
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        if (!bytes.test(k)) return static_cast<int>(k);
    }
    return -1;
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
    Taker take(record);
    TDeviceSettings& r = take.record();
    take.spin(r.Averaging, shown.averaging, now.averaging);
    take.spin(r.Digits, shown.digits, now.digits);
    take.item(r.SupplyVoltage, shown.supplyVoltage, now.supplyVoltage, 0);
    take.item(r.RelayTest, shown.relayTest, now.relayTest, 0);
    take.item(r.Buzzer, shown.buzzer, now.buzzer, 0);
    take.item(r.AutoOff, shown.autoOff, now.autoOff, 0);
    take.item(r.CurrentRange, shown.currentRange, now.currentRange, 0);
    take.item(r.RefUnit, shown.refUnit, now.refUnit, kFirstReferenceUnit);
    take.item(r.SensorUnit, shown.sensorUnit, now.sensorUnit, kFirstSensorUnit);
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
        if (!take.limit(l.field, l.shown, l.now)) return {std::nullopt, l.limit, -1, {}};
    }
    for (int i = 0; i < 4; ++i) {
        if (!take.factoryNumber(r.SensorNo[i], shown.sensorNo[i], now.sensorNo[i]))
            return {std::nullopt, SettingsLimit::SensorHiP, i, {}};
    }
    return {r, SettingsLimit::SensorHiP, -1, take.taken()};
}
