#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// The verification set-up block shared by the pages: 2981 packed bytes, texts in 80-byte code
// page 1251 slots, little-endian numbers, four 504-byte channel blocks.
inline constexpr std::size_t kSetupRecordSize = 2981;
inline constexpr std::size_t kSetupTextSlot = 80;

namespace setup {
inline constexpr std::size_t AirTemp = 0;
inline constexpr std::size_t Humidity = 80;
inline constexpr std::size_t AtmPressure = 160;
inline constexpr std::size_t Verifier = 240;
inline constexpr std::size_t RefType = 320;
inline constexpr std::size_t RefModel = 400;
inline constexpr std::size_t RefSerial = 480;
inline constexpr std::size_t RefClass = 560;
inline constexpr std::size_t InstrSerial = 640;
inline constexpr std::size_t RefUnits = 720;
inline constexpr std::size_t IsPeriodic = 800;
inline constexpr std::size_t OwnerName = 801;
inline constexpr std::size_t InstrRange = 881;
inline constexpr std::size_t Channels = 961;
inline constexpr std::size_t ErrorFactor = 2977;
}  // namespace setup

// SetupChannel: offsets within a channel's block.
inline constexpr std::size_t kSetupChannelSize = 504;
namespace channel {
inline constexpr std::size_t Used = 0;
inline constexpr std::size_t MethodDoc = 4;
inline constexpr std::size_t SensorName = 84;
inline constexpr std::size_t SensorModel = 164;
inline constexpr std::size_t SensorSerial = 244;
inline constexpr std::size_t UpperLimit = 324;
inline constexpr std::size_t LowerLimit = 328;
inline constexpr std::size_t UnitsText = 332;
inline constexpr std::size_t OutputText = 412;
inline constexpr std::size_t Dependency = 492;
inline constexpr std::size_t Tolerance = 496;
inline constexpr std::size_t UnitsFactor = 500;
}  // namespace channel

// Start of channel n's block (n = 1..4).
constexpr std::size_t SetupChannelOffset(int n) { return setup::Channels + kSetupChannelSize * static_cast<std::size_t>(n - 1); }

// Typed access to a record's fields, for the readers of the record.
QString SetupText(const std::uint8_t* record, std::size_t offset);
void SetSetupText(std::uint8_t* record, std::size_t offset, const QString& text);
QString ChannelText(const std::uint8_t* record, int n, std::size_t field);
void SetChannelText(std::uint8_t* record, int n, std::size_t field, const QString& text);
float ChannelFloat(const std::uint8_t* record, int n, std::size_t field);
void SetChannelFloat(std::uint8_t* record, int n, std::size_t field, float value);
std::int32_t ChannelInt(const std::uint8_t* record, int n, std::size_t field);
void SetChannelInt(std::uint8_t* record, int n, std::size_t field, std::int32_t value);
