// An archive file saved earlier, read into the archive table.
#include <QByteArray>
#include <QFile>
#include <QTreeWidget>
#include <string_view>

#include "app/archive/frame_archive.h"
#include "app/model/archive_file.h"

int TFrameArchiv::ImportArchiveFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    // A transfer still running would write its rows into the imported table, and a reading's
    // resume point belongs to the table that goes now. Other windows' exchanges are left alone.
    StopOwnTransfer();
    FArchOffset = 0;
    ListViewArchiv1->clear();

    // Mapped rather than read, so that choosing some huge file by mistake costs no memory.
    const qint64 size = file.size();
    const uchar* mapped = size > 0 ? file.map(0, size) : nullptr;
    QByteArray content;
    std::string_view bytes;
    if (mapped) {
        bytes = std::string_view(reinterpret_cast<const char*>(mapped), static_cast<std::size_t>(size));
    } else {
        content = file.readAll();
        bytes = std::string_view(content.constData(), static_cast<std::size_t>(content.size()));
    }
    return ReadArchiveFile(bytes, [this](const TArchiveRecord& record) { AddArchiveRow(ListViewArchiv1, record); });
}
