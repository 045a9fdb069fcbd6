#pragma once

#include <string>
#include <vector>

#include "sim/archive.h"
#include "sim/instrument.h"

namespace archive_testing {

inline std::string HexOf(const std::uint8_t* bytes, std::size_t count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

// The simulated instrument's two answers to the block reads of a record, framed as it sends them.
inline std::string RecordAnswers(const sim::ArchiveRecordBytes& record, int address = 1) {
    return sim::Instrument::DataAnswer(address, HexOf(record.data(), 32)) +
           sim::Instrument::DataAnswer(address, HexOf(record.data() + 32, 32));
}

// An archive file as the instrument's answers to a reading of these records.
inline std::string ArchiveFileOf(const std::vector<sim::ArchiveRecordBytes>& records) {
    std::string file;
    for (const auto& record : records) file += RecordAnswers(record);
    return file;
}

// The simulator's measured records 0..count-1.
inline std::vector<sim::ArchiveRecordBytes> MeasuredRecords(int count) {
    std::vector<sim::ArchiveRecordBytes> records;
    for (int n = 0; n < count; ++n) records.push_back(sim::MeasuredArchiveRecordBytes(n));
    return records;
}

}  // namespace archive_testing
