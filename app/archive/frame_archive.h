#pragma once

#include <QPersistentModelIndex>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/model/archive_record.h"

class QEvent;
class QListWidget;
class QMouseEvent;
class QObject;
class QProgressBar;
class QPushButton;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TChart;
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
    static QString FloatCellText(float value);
    static QString ArchDateTimeText(const TArchiveRecord& record);

    // Dragging with the left button selects the rows from the one pressed to the one under the mouse.
    void ListViewArchiv1MouseDown(QMouseEvent* event);
    bool ListViewArchiv1MouseMove(QMouseEvent* event);  // true: the drag took the move
    void ListViewArchiv1MouseUp(QMouseEvent* event);

    // Plots every measured row of the table.
    void MakeGraphClick();
    // Every button of both chart tool bars but "Очистить".
    void ARLeftClick(QObject* sender);
    void ToolButton27Click();  // "Очистить" of ArchiveGraph
    void ToolButton25Click();  // "Очистить" of FaultGraph

    // Hands the table to the report library's archive workbook.
    void ExcelArchiveClick();

    // Records read from an archive file; 0 for a file of the wrong format, -1 when it cannot be opened.
    int ImportArchiveFile(const QString& path);

    QPushButton* ReadArchive;
    QPushButton* StopArchiveReading;
    QPushButton* ClearArchive;
    QPushButton* StopArchiveClearing;
    QProgressBar* ArchiveProcess;
    QTreeWidget* ListViewArchiv1;
    QListWidget* lbMsg;
    QListWidget* UnitStr;  // the units' names by the instrument's units code
    QPushButton* MakeGraph;
    QPushButton* ExcelArchive;
    TChart* ArchiveGraph;
    TChart* FaultGraph;
    QToolBar* ArchiveGraphToolBar;
    QToolBar* ToolBar1;
    QToolButton* ToolButton27;
    QToolButton* ToolButton25;

    int FArchOffset = 0;  // byte address of the block in transfer; a stopped reading resumes here
    TArchiveRecord FRecordBuf{};
    QPersistentModelIndex FSelAnchor;  // the row a drag selection began on; invalid when none
    ArchivePageHooks Hooks;
    // The report library, looked up by its bare name beside the executable first.
    std::string ReportLibrary = "zkvsheet.so";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Transfer { AtRest, Reading, Clearing };

    void BuildCharts();
    // The new last row of the table, not scrolled to.
    QTreeWidgetItem* AppendArchiveRow(QTreeWidget* listView, const TArchiveRecord& record,
                                      const QStringList& units) const;
    QStringList UnitNames() const;  // the items of UnitStr

    void ShowWorkName(int index) const;
    void EnableStarts();
    void SendBlockRead();
    void SendBlockWrite();
    void ShowReadingStopped();
    void ShowClearingStopped();
    // Stops a running transfer, ending the exchange only while the transfer still holds it.
    void StopOwnTransfer();

    // A reading and a clearing share the offset, the record buffer and the one exchange: while one
    // runs, the other cannot start.
    Transfer transfer_ = Transfer::AtRest;
};
