#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

// One measurement record of the instrument's archive, as it lies in the instrument's memory and in
// an archive file: 64 bytes, little-endian, IEEE single-precision floats.
struct TArchiveRecord {
    std::uint8_t Units;  // 0xAA: blank; otherwise the low four bits are the units code
    std::uint8_t Reserved[3];
    float PRef;         // reference pressure
    float PMeas[4];     // pressure of channels 1..4
    float Error[4];     // error of channels 1..4, percent
    float AmbientTemp;  // °C
    std::uint8_t Day;   // plain numbers, not BCD
    std::uint8_t Month;
    std::uint8_t Year;  // year minus 2000
    std::uint8_t Hour;
    std::uint8_t Minute;
    std::uint8_t Second;
    std::uint8_t SensorNo[4][3];  // factory numbers of channels 1..4, little-endian, unsigned
    std::uint16_t Crc;            // CRC-16/MODBUS of bytes 0..61
};

static_assert(std::endian::native == std::endian::little, "the record is stored little-endian");
static_assert(sizeof(float) == 4);
static_assert(sizeof(TArchiveRecord) == 64);
static_assert(offsetof(TArchiveRecord, PRef) == 4);
static_assert(offsetof(TArchiveRecord, PMeas) == 8);
static_assert(offsetof(TArchiveRecord, Error) == 24);
static_assert(offsetof(TArchiveRecord, AmbientTemp) == 40);
static_assert(offsetof(TArchiveRecord, Day) == 44);
static_assert(offsetof(TArchiveRecord, Second) == 49);
static_assert(offsetof(TArchiveRecord, SensorNo) == 50);
static_assert(offsetof(TArchiveRecord, Crc) == 62);

inline constexpr std::uint8_t kBlankRecordUnits = 0xAA;
inline constexpr int kArchiveRecordSize = 64;
inline constexpr int kArchiveRecordCount = 512;
// Every transfer moves half a record.
inline constexpr int kArchiveBlockSize = 32;
inline constexpr int kArchiveBytes = kArchiveRecordCount * kArchiveRecordSize;

inline std::uint8_t* RecordBytes(TArchiveRecord& record) { return reinterpret_cast<std::uint8_t*>(&record); }
inline const std::uint8_t* RecordBytes(const TArchiveRecord& record) {
    return reinterpret_cast<const std::uint8_t*>(&record);
}

// The checksum the record should carry: CRC-16/MODBUS of bytes 0..61.
std::uint16_t ArchiveRecordCrc(const TArchiveRecord& record);
// True when the stored checksum matches the record's bytes.
bool ArchiveRecordValid(const TArchiveRecord& record);
// What a clearing writes over every record: 0xAA, zeros, and its checksum 0x0167.
TArchiveRecord BlankArchiveRecord();
