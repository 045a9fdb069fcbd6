// The archive table's rows, and the selection of a range of them by dragging.
#include <QEvent>
#include <QItemSelection>
#include <QListWidget>
#include <QMouseEvent>
#include <QTreeWidget>
#include <algorithm>

#include "app/archive/frame_archive.h"
#include "app/model/archive_texts.h"

namespace {

constexpr int kCellColumns = 16;  // the columns after the row number

// The left button pressed or released (or, for a move, held) without Shift: the drag selection's
// own events.
bool IsLeftDrag(const QMouseEvent* event, bool buttonHeld) {
    if (event->modifiers() & Qt::ShiftModifier) return false;
    return buttonHeld ? (event->buttons() & Qt::LeftButton) != 0 : event->button() == Qt::LeftButton;
}

}  // namespace

void TFrameArchiv::AddArchiveRow(QTreeWidget* listView, const TArchiveRecord& record) {
    if (listView == nullptr) return;
    listView->scrollToItem(AppendArchiveRow(listView, record, UnitNames()));
}

QTreeWidgetItem* TFrameArchiv::AppendArchiveRow(QTreeWidget* listView, const TArchiveRecord& record,
                                                const QStringList& units) const {
    QStringList texts{QString::number(listView->topLevelItemCount() + 1)};
    // A record that fails its checksum shows its number only.
    if (ArchRecordValid(record)) {
        texts += record.Units == kBlankRecordUnits ? QStringList(kCellColumns, QStringLiteral("------"))
                                                   : ArchiveCellTexts(record, units);
    }
    // Given at construction, the texts come into the table with the row, in one change of it.
    return new QTreeWidgetItem(listView, texts);
}

QStringList TFrameArchiv::UnitNames() const {
    QStringList items;
    for (int i = 0; i < UnitStr->count(); ++i) items << UnitStr->item(i)->text();
    return items;
}

QString TFrameArchiv::FloatCellText(float value) { return ArchiveValueText(value); }

QString TFrameArchiv::ArchDateTimeText(const TArchiveRecord& record) { return ArchiveDateTimeText(record); }

void TFrameArchiv::ListViewArchiv1MouseDown(QMouseEvent* event) {
    if (!IsLeftDrag(event, false)) return;
    const QModelIndex row = ListViewArchiv1->indexAt(event->position().toPoint()).siblingAtColumn(0);
    if (row == QModelIndex(FSelAnchor)) return;
    ListViewArchiv1->clearSelection();
    FSelAnchor = row;
}

bool TFrameArchiv::ListViewArchiv1MouseMove(QMouseEvent* event) {
    if (!IsLeftDrag(event, true) || !FSelAnchor.isValid()) return false;
    const QModelIndex row = ListViewArchiv1->indexAt(event->position().toPoint());
    if (!row.isValid()) return true;
    const int first = std::min(row.row(), FSelAnchor.row());
    const int last = std::max(row.row(), FSelAnchor.row());
    QAbstractItemModel* model = ListViewArchiv1->model();
    // Rows taken earlier in the drag stay selected when the mouse comes back.
    ListViewArchiv1->selectionModel()->select(
        QItemSelection(model->index(first, 0), model->index(last, model->columnCount() - 1)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    return true;
}

void TFrameArchiv::ListViewArchiv1MouseUp(QMouseEvent* event) {
    if (IsLeftDrag(event, false)) FSelAnchor = QPersistentModelIndex();
}

bool TFrameArchiv::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ListViewArchiv1->viewport()) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            ListViewArchiv1MouseDown(static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseMove:
            // The table's own drag would take back what the mouse passed over again.
            return ListViewArchiv1MouseMove(static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonRelease:
            ListViewArchiv1MouseUp(static_cast<QMouseEvent*>(event));
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}
