#pragma once

#include <QString>
#include <array>
#include <bit>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The instrument's settings record: 48 little-endian bytes mirrored in memory type 2 from register
// 16 (record byte k is register 16 + k). It only travels as raw bytes, so its layout is the
// instrument's.
struct TDeviceSettings {
    std::uint8_t Year;            // year of the instrument's clock minus 2000
    std::uint8_t ArchiveWord[2];  // not shown; carried as read
    std::uint8_t Averaging;       // number of readings averaged
    std::uint8_t Digits;          // number of digits
    std::uint8_t SupplyVoltage;   // 0 = 24 V, 1 = 36 V
    std::uint8_t RelayTest;       // 0 off, 1 on
    std::uint8_t Buzzer;          // 0 off, 1 on
    std::uint8_t AutoOff;         // automatic switch-off: 0 off, 1 on
    std::uint8_t RefUnit;         // unit code of the reference transducer: 6 kPa, 7 MPa
    std::uint8_t SensorUnit;      // unit code of the transducers under test, 5..12
    std::uint8_t CurrentRange;    // 0 = 0-5 mA, 1 = 4-20 mA
    std::uint8_t Unused[4];       // carried as read
    float SensorHiP;              // upper limit of the transducers under test, kPa
    float SensorLoP;              // their lower limit, kPa
    float RefHi;                  // upper limit of the reference transducer's range
    float RefLo;                  // its lower limit
    std::int32_t SensorNo[4];     // factory numbers of the transducers on channels 1..4
};

inline constexpr int kDeviceSettingsSize = 48;
inline constexpr int kDeviceSettingsRegister = 16;  // where the record starts in memory type 2
inline constexpr int kSettingsFirstBlock = 32;      // the settings write sends bytes 0..31, then 32..47

static_assert(std::endian::native == std::endian::little, "the record's numbers are the instrument's");
static_assert(sizeof(TDeviceSettings) == kDeviceSettingsSize);
static_assert(offsetof(TDeviceSettings, ArchiveWord) == 1 && offsetof(TDeviceSettings, Averaging) == 3);
static_assert(offsetof(TDeviceSettings, CurrentRange) == 11 && offsetof(TDeviceSettings, Unused) == 12);
static_assert(offsetof(TDeviceSettings, SensorHiP) == 16 && offsetof(TDeviceSettings, SensorLoP) == 20);
static_assert(offsetof(TDeviceSettings, RefHi) == 24 && offsetof(TDeviceSettings, RefLo) == 28);
static_assert(offsetof(TDeviceSettings, SensorNo) == 32);

// The instrument's factory settings: everything zero but the fields that have a default.
TDeviceSettings DefaultDeviceSettings();

std::array<std::uint8_t, kDeviceSettingsSize> SettingsBytes(const TDeviceSettings& record);

// A set of the record's bytes, by offset.
using SettingsByteSet = std::bitset<kDeviceSettingsSize>;

// The bytes first .. first + count - 1, cut to the record.
SettingsByteSet SettingsByteRange(int first, int count);

// The bytes of channel i's factory number (i = 0..3).
SettingsByteSet SensorNoBytes(int channel);

// Puts the bytes of a hexadecimal answer into the record from byte first on, never past its end.
// Only complete pairs of valid digits count: decoding stops at the first pair that is not one,
// and the bytes it does not reach stay as they were. Returns the number of bytes put.
int PutSettingsHex(TDeviceSettings& record, int first, std::string_view hex);

// The same answer put only where the record does not hold a known value yet: the bytes it carries
// from byte first on become known, and known bytes keep their values. Returns the bytes carried.
int FillUnknownSettings(TDeviceSettings& record, SettingsByteSet& known, int first, std::string_view hex);

// The first byte not in the set, or -1 when the set holds them all.
int FirstMissingByte(const SettingsByteSet& bytes);

// What the page's controls show of a record: spin edit values, list indexes (-1 for a byte no
// item stands for), texts.
struct SettingsView {
    int year = 0;
    int averaging = 0;
    int digits = 0;
    int supplyVoltage = -1;
    int relayTest = -1;
    int buzzer = -1;
    int autoOff = -1;
    int currentRange = -1;
    int refUnit = -1;  // -1: the record's unit is neither kPa nor MPa, the control keeps its own
    int sensorUnit = -1;
    QString sensorHiP;
    QString sensorLoP;
    QString refHi;
    QString refLo;
    QString sensorNo[4];

    bool operator==(const SettingsView&) const = default;
};

SettingsView ViewOfSettings(const TDeviceSettings& record);

// The limits, in the order of the edits that show them.
enum class SettingsLimit { SensorHiP, SensorLoP, RefHi, RefLo };

struct SettingsFromForm {
    // None when a changed limit holds no number or a changed factory number one the record cannot
    // hold; badSensorNo then names the channel (0..3) of such a number, or is -1 and badLimit
    // names the limit.
    std::optional<TDeviceSettings> record;
    SettingsLimit badLimit = SettingsLimit::SensorHiP;
    int badSensorNo = -1;
    SettingsByteSet taken;  // the bytes of the fields the controls changed
};

// The record as the controls say now. A control still showing what it showed of the record
// (shown) keeps the record's field, so a value no control can show survives a read and a write.
// A changed list without a selection keeps its byte too, and an unreadable factory number its
// field; a changed limit that holds no number, or a factory number beyond the record's int, makes
// the whole record unreadable. The year is the instrument's clock's, never the form's.
SettingsFromForm SettingsFromView(const TDeviceSettings& record, const SettingsView& shown,
                                  const SettingsView& now);
