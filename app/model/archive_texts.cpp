#include "app/model/archive_texts.h"

#include "app/model/value_text.h"

QString ArchiveValueText(float value) { return CutToNine(FloatText4(value)); }

QString ArchiveDateTimeText(const TArchiveRecord& record) {
    return QStringLiteral("%1/%2/20%3  %4:%5:%6")
        .arg(record.Day)
        .arg(record.Month)
        .arg(record.Year, 2, 10, QLatin1Char('0'))
        .arg(record.Hour)
        .arg(record.Minute)
        .arg(record.Second);
}

std::uint32_t ArchiveSensorNumber(const TArchiveRecord& record, int channel) {
    const std::uint8_t* bytes = record.SensorNo[channel];
    return bytes[0] | static_cast<std::uint32_t>(bytes[1]) << 8 | static_cast<std::uint32_t>(bytes[2]) << 16;
}

QStringList ArchiveCellTexts(const TArchiveRecord& record, const QStringList& unitNames) {
    QStringList cells{ArchiveDateTimeText(record), ArchiveValueText(record.AmbientTemp),
                      unitNames.value(record.Units & 0x0F), ArchiveValueText(record.PRef)};
    for (int channel = 0; channel < 4; ++channel) {
        cells << ArchiveValueText(record.PMeas[channel]) << ArchiveValueText(record.Error[channel])
              << QStringLiteral("%1").arg(ArchiveSensorNumber(record, channel), 7, 10, QLatin1Char('0'));
    }
    return cells;
}
