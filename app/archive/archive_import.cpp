// An archive file saved earlier, read into the archive table.
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTreeWidget>

#include "app/archive/frame_archive.h"
#include "app/model/archive_file.h"
#include "platform/system/file_io.h"

namespace {

// What the menu says of a file that was not taken: -1 "cannot be opened" for one that is not
// there, may not be read or is a folder; 0 "wrong format" for a FIFO, a device or a file past the
// bound, which no archive file is.
int NotTaken(const platform::FileRead& read, const QString& path) {
    switch (read.outcome) {
        case platform::FileRead::Outcome::NotRegular:
            return QFileInfo(path).isDir() ? -1 : 0;
        case platform::FileRead::Outcome::TooLarge:
            return 0;
        default:
            return -1;
    }
}

}  // namespace

int TFrameArchiv::ImportArchiveFile(const QString& path) {
    const platform::FileRead file =
        platform::ReadRegularFile(QFile::encodeName(path).toStdString(), kArchiveFileMaxBytes);
    // The table keeps its rows until a file has been taken.
    if (!file.ok()) return NotTaken(file, path);
    // A transfer still running would write its rows into the imported table, and a reading's
    // resume point belongs to the table that goes now. Other windows' exchanges are left alone.
    StopOwnTransfer();
    FArchOffset = 0;
    ListViewArchiv1->clear();

    // Scrolling lays out the whole table, so an import scrolls once, to its last row, and not at
    // every row as a reading does.
    const QStringList units = UnitNames();
    QTreeWidgetItem* last = nullptr;
    const int count = ReadArchiveFile(file.bytes, [&](const TArchiveRecord& record) {
        last = AppendArchiveRow(ListViewArchiv1, record, units);
    });
    if (last) ListViewArchiv1->scrollToItem(last);
    return count;
}
