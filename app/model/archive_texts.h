#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "app/model/archive_record.h"

// The texts of the archive table's cells.

// A stored value: "%.4f" cut to nine characters (12345.6789 shows as 12345.678).
QString ArchiveValueText(float value);
// "day/month/20yy  hour:minute:second", every number without leading zeros but the year's two.
QString ArchiveDateTimeText(const TArchiveRecord& record);
// The factory number of the sensor on channel 0..3: three bytes, little-endian, unsigned.
std::uint32_t ArchiveSensorNumber(const TArchiveRecord& record, int channel);
// The sixteen cells after the row number of a measured record, in column order: date and time,
// temperature, units, reference pressure, then each channel's pressure, error and sensor number.
// The units text is item (Units AND 0x0F) of unitNames.
QStringList ArchiveCellTexts(const TArchiveRecord& record, const QStringList& unitNames);
