#pragma once

#include <QString>
#include <QWidget>

class QObject;
class QProgressBar;
class QPushButton;

// The archive page: reads, clears, shows and imports the instrument's archive.
class TFrameArchiv : public QWidget {
    Q_OBJECT
public:
    explicit TFrameArchiv(QWidget* parent = nullptr);

    void StopArchiveReadingClick(QObject* sender);
    void StopArchiveClearingClick(QObject* sender);
    // Records read from an archive file; 0 for a file of the wrong format, -1 when it cannot be opened.
    int ImportArchiveFile(const QString& path);

    QPushButton* ReadArchive;
    QPushButton* StopArchiveReading;
    QPushButton* ClearArchive;
    QPushButton* StopArchiveClearing;
    QProgressBar* ArchiveProcess;

    int FArchOffset = 0;  // byte address of the block in transfer; a stopped reading resumes here
};
