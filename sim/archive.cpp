#include "sim/archive.h"

#include <cstring>

#include "link/crc16.h"

namespace sim {
namespace {

constexpr int kCrcAt = Instrument::kArchiveRecordSize - 2;

int RecordAddress(int n) { return n * static_cast<int>(Instrument::kArchiveRecordSize); }

std::uint16_t RecordCrc(const ArchiveRecordBytes& record) { return Crc16(record.data(), kCrcAt); }

void Seal(ArchiveRecordBytes& record) {
    const std::uint16_t crc = RecordCrc(record);
    record[kCrcAt] = static_cast<std::uint8_t>(crc & 0xFF);
    record[kCrcAt + 1] = static_cast<std::uint8_t>(crc >> 8);
}

void PutFloat(ArchiveRecordBytes& record, int at, float value) { std::memcpy(record.data() + at, &value, 4); }

}  // namespace

ArchiveRecordBytes BlankArchiveRecordBytes() {
    ArchiveRecordBytes record{};
    record[0] = 0xAA;
    Seal(record);
    return record;
}

ArchiveRecordBytes MeasuredArchiveRecordBytes(int n) {
    ArchiveRecordBytes record{};
    record[0] = static_cast<std::uint8_t>(5 + n % 8);  // units codes 5..12
    const float reference = 10.0f * static_cast<float>(n % 100) + 0.125f;
    PutFloat(record, 4, reference);
    for (int ch = 0; ch < 4; ++ch) {
        PutFloat(record, 8 + 4 * ch, reference + 0.01f * static_cast<float>(ch + 1));
        PutFloat(record, 24 + 4 * ch, 0.05f * static_cast<float>(ch) - 0.1f);
    }
    PutFloat(record, 40, 20.5f + 0.1f * static_cast<float>(n % 10));
    const std::uint8_t when[6] = {static_cast<std::uint8_t>(1 + n % 28),
                                  static_cast<std::uint8_t>(1 + n % 12),
                                  9,
                                  static_cast<std::uint8_t>(n % 24),
                                  static_cast<std::uint8_t>(n % 60),
                                  static_cast<std::uint8_t>((7 * n) % 60)};
    std::memcpy(record.data() + 44, when, sizeof when);
    for (int ch = 0; ch < 4; ++ch) {
        const int number = 100000 * (ch + 1) + n;
        for (int b = 0; b < 3; ++b) record[50 + 3 * ch + b] = static_cast<std::uint8_t>(number >> (8 * b));
    }
    Seal(record);
    return record;
}

ArchiveRecordBytes ArchiveRecordAt(const Instrument& instrument, int n) {
    ArchiveRecordBytes record{};
    const auto bytes = instrument.blockAt(kArchiveMemory, RecordAddress(n), record.size());
    if (bytes.size() == record.size()) std::memcpy(record.data(), bytes.data(), record.size());
    return record;
}

void SetArchiveRecord(Instrument& instrument, int n, const ArchiveRecordBytes& record) {
    instrument.setBlock(kArchiveMemory, RecordAddress(n), {record.begin(), record.end()});
}

void FillArchiveWithMeasurements(Instrument& instrument) {
    for (int n = 0; n < Instrument::kArchiveRecords; ++n)
        SetArchiveRecord(instrument, n, MeasuredArchiveRecordBytes(n));
}

void CorruptArchiveRecord(Instrument& instrument, int n) {
    ArchiveRecordBytes record = ArchiveRecordAt(instrument, n);
    record[4] ^= 0x5A;
    SetArchiveRecord(instrument, n, record);
}

bool ArchiveRecordChecks(const ArchiveRecordBytes& record) {
    return (record[kCrcAt] | record[kCrcAt + 1] << 8) == RecordCrc(record);
}

}  // namespace sim
