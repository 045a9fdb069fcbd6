#pragma once

#include <array>
#include <cstdint>

#include "sim/instrument.h"

namespace sim {

// The instrument's archive: 512 records of 64 bytes in memory type 1, each ending in its CRC-16.
using ArchiveRecordBytes = std::array<std::uint8_t, Instrument::kArchiveRecordSize>;

inline constexpr int kArchiveMemory = 1;

// A blank record: 0xAA, zeros, and its checksum.
ArchiveRecordBytes BlankArchiveRecordBytes();
// A plausible stored measurement, different for every n, with its checksum.
ArchiveRecordBytes MeasuredArchiveRecordBytes(int n);

ArchiveRecordBytes ArchiveRecordAt(const Instrument& instrument, int n);
void SetArchiveRecord(Instrument& instrument, int n, const ArchiveRecordBytes& record);
// Every record a measurement.
void FillArchiveWithMeasurements(Instrument& instrument);
// Changes one byte of record n so that its checksum no longer matches.
void CorruptArchiveRecord(Instrument& instrument, int n);
bool ArchiveRecordChecks(const ArchiveRecordBytes& record);

}  // namespace sim
