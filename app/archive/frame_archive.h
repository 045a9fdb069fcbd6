#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/model/archive_record.h"

class QListWidget;
class QObject;
class QProgressBar;
class QPushButton;
class QTreeWidget;
struct AnswerRoute;

// What the archive page needs from the main window.
struct ArchivePageHooks {
    std::function<void(int index)> showWorkName;  // status bar: the name of the running operation
};

// The archive page: reads, clears, shows and imports the instrument's archive.
class TFrameArchiv : public QWidget {
    Q_OBJECT
public:
    explicit TFrameArchiv(QWidget* parent = nullptr);

    // Reading and clearing the instrument's archive, one half record per exchange.
    void ReadArchiveClick(QObject* sender);
    void RxArchiveBlock(const char* text);
    void StopArchiveReadingClick(QObject* sender);
    void ClearArchiveClick(QObject* sender);
    void RxClearArchive(const char* data);
    void StopArchiveClearingClick(QObject* sender);
    // The page's rows of the exchange engine's routing table.
    std::vector<AnswerRoute> ArchiveAnswerRoutes();

    bool ArchRecordValid(const TArchiveRecord& record) const;
    // Appends the table row of one record.
    void AddArchiveRow(QTreeWidget* listView, const TArchiveRecord& record);
    // Records read from an archive file; 0 for a file of the wrong format, -1 when it cannot be opened.
    int ImportArchiveFile(const QString& path);

    QPushButton* ReadArchive;
    QPushButton* StopArchiveReading;
    QPushButton* ClearArchive;
    QPushButton* StopArchiveClearing;
    QProgressBar* ArchiveProcess;
    QTreeWidget* ListViewArchiv1;
    QListWidget* lbMsg;

    int FArchOffset = 0;  // byte address of the block in transfer; a stopped reading resumes here
    TArchiveRecord FRecordBuf{};
    ArchivePageHooks Hooks;

private:
    enum class Transfer { AtRest, Reading, Clearing };

    void ShowWorkName(int index) const;
    void EnableStarts();
    void SendBlockRead();
    void SendBlockWrite();

    // A reading and a clearing share the offset, the record buffer and the one exchange: while one
    // runs, the other cannot start.
    Transfer transfer_ = Transfer::AtRest;
};
