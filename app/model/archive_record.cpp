#include "app/model/archive_record.h"

#include <cstring>

#include "link/crc16.h"

std::uint16_t ArchiveRecordCrc(const TArchiveRecord& record) {
    return Crc16Block(RecordBytes(record), offsetof(TArchiveRecord, Crc));
}

bool ArchiveRecordValid(const TArchiveRecord& record) { return record.Crc == ArchiveRecordCrc(record); }

TArchiveRecord BlankArchiveRecord() {
    TArchiveRecord record;
    std::memset(&record, 0, sizeof record);
    record.Units = kBlankRecordUnits;
    record.Crc = ArchiveRecordCrc(record);
    return record;
}
