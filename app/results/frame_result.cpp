#include "app/results/frame_result.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <vector>

#include "app/model/current_row.h"
#include "app/model/result_points.h"
#include "app/model/setup_record.h"
#include "app/model/value_text.h"
#include "app/results/report_binding.h"
#include "platform/class_library/components.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/utf8_literal.h"

namespace {

enum Column : int {
    ChannelColumn,
    PointColumn,
    ReferenceColumn,
    MeasuredColumn,
    ErrorColumn,
    ToleranceColumn,
    SerialColumn
};
constexpr int kColumnCount = 7;

struct ColumnSpec {
    const char* caption;
    int width;
    Qt::Alignment alignment;
};
// The tolerance column takes whatever width the others leave; the serial column stays a sliver.
constexpr ColumnSpec kColumns[kColumnCount] = {
    {"№ канала", 90, Qt::AlignLeft},
    {"№ точки", 75, Qt::AlignHCenter},
    {"Эталон", 150, Qt::AlignHCenter},
    {"Измеренное", 150, Qt::AlignHCenter},
    {"Погрешность, %", 150, Qt::AlignHCenter},
    {"  Допуск, %", 150, Qt::AlignLeft},
    {"-Зав.No-", 1, Qt::AlignLeft},
};

// The protocol row a results row was recorded with.
constexpr int kProtocolRowRole = Qt::UserRole;

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(U(caption), parent);
    button->setObjectName(name);
    button->setEnabled(false);
    return button;
}

ResultEntry EntryOf(const QTreeWidgetItem* item) {
    const QVariant row = item->data(ChannelColumn, kProtocolRowRole);
    return {item->text(ChannelColumn).toInt(), item->text(PointColumn).toInt(),
            row.isValid() ? row.toInt() : -1};
}

}  // namespace

TFrame_Results::TFrame_Results(QWidget* parent) : QWidget(parent) {
    setObjectName("Frame_Results1");
    platform::MarkAsOwner(this);

    ListViewResults = new QTreeWidget(this);
    ListViewResults->setObjectName("ListViewResults");
    ListViewResults->setRootIsDecorated(false);
    ListViewResults->setColumnCount(kColumnCount);
    ListViewResults->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewResults->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewResults->setSortingEnabled(false);  // rows are inserted in their place
    QStringList captions;
    for (const ColumnSpec& c : kColumns) captions << U(c.caption);
    ListViewResults->setHeaderLabels(captions);
    QHeaderView* header = ListViewResults->header();
    header->setSectionsClickable(false);
    header->setStretchLastSection(false);
    for (int column = 0; column < kColumnCount; ++column) {
        ListViewResults->setColumnWidth(column, kColumns[column].width);
        ListViewResults->headerItem()->setTextAlignment(column,
                                                        kColumns[column].alignment | Qt::AlignVCenter);
    }
    header->setSectionResizeMode(ToleranceColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(SerialColumn, QHeaderView::Fixed);
    header->setMinimumSectionSize(1);
    ListViewResults->setColumnWidth(SerialColumn, 1);
    QFont bold = ListViewResults->font();
    bold.setBold(true);
    ListViewResults->setFont(bold);
    ListViewResults->setStyleSheet(
        "QTreeView::item { border-right: 1px solid palette(midlight); border-bottom: 1px solid "
        "palette(midlight); }");
    // The selected row stays marked when the list loses the focus.
    QPalette palette = ListViewResults->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    ListViewResults->setPalette(palette);

    BitBtnClear = Button(this, "BitBtnClear", "Очистить всё");
    BitBtnRemoveLine = Button(this, "BitBtnRemoveLine", "  Удалить точку");
    GroupBox1 = new QGroupBox(U("Протокол Excel"), this);
    GroupBox1->setObjectName("GroupBox1");
    Btn_ToExcel = Button(GroupBox1, "Btn_ToExcel", "Поверки");
    Btn_ToExcel_Cal = Button(GroupBox1, "Btn_ToExcel_Cal", "Калибровки");
    auto* reports = new QHBoxLayout(GroupBox1);
    reports->addWidget(Btn_ToExcel);
    reports->addWidget(Btn_ToExcel_Cal);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtnClear);
    buttons->addWidget(BitBtnRemoveLine);
    buttons->addStretch();
    buttons->addWidget(GroupBox1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListViewResults, 1);
    layout->addLayout(buttons);

    connect(BitBtnClear, &QPushButton::clicked, this, &TFrame_Results::BitBtnClearClick);
    connect(BitBtnRemoveLine, &QPushButton::clicked, this, &TFrame_Results::BitBtnRemoveLineClick);
    connect(Btn_ToExcel, &QPushButton::clicked, this, [this] { Btn_ToExcelClick(Btn_ToExcel); });
    connect(Btn_ToExcel_Cal, &QPushButton::clicked, this, [this] { Btn_ToExcelClick(Btn_ToExcel_Cal); });
    // The event names the item whose selection changed, whichever way it changed.
    connect(ListViewResults->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                const QModelIndexList named = selected.isEmpty() ? deselected.indexes() : selected.indexes();
                QTreeWidgetItem* item = nullptr;
                for (const QModelIndex& index : named) {
                    if (!index.parent().isValid()) item = ListViewResults->topLevelItem(index.row());
                    if (item != nullptr) break;
                }
                ListViewResultsSelectItem(item, !selected.isEmpty());
            });
}

MeasProtocolRef TFrame_Results::Protocol() const {
    return Hooks.protocol ? Hooks.protocol() : MeasProtocolRef{};
}

void TFrame_Results::SetActionsEnabled(bool enabled) {
    Btn_ToExcel->setEnabled(enabled);
    Btn_ToExcel_Cal->setEnabled(enabled);
    BitBtnClear->setEnabled(enabled);
}

void TFrame_Results::AddResultPoint(int channel, float error, float measured, float reference,
                                    int protocolRow) {
    if (FSetup == nullptr || channel < 1 || channel > 4) return;
    const QString caption = QString::number(channel);
    const QString units = ChannelText(FSetup, channel, channel::UnitsText);
    // Kept in the order of the captions' text; a new row goes after the rows of its own caption.
    int at = 0;
    while (at < ListViewResults->topLevelItemCount() &&
           ListViewResults->topLevelItem(at)->text(ChannelColumn).compare(caption, Qt::CaseInsensitive) <= 0)
        ++at;
    auto* item = new QTreeWidgetItem;
    item->setText(ChannelColumn, caption);
    item->setData(ChannelColumn, kProtocolRowRole, protocolRow);
    item->setText(PointColumn, QString::number(FPointCount[channel - 1] + 1));
    item->setText(ReferenceColumn, FloatText4(reference) + " " + units);
    item->setText(MeasuredColumn, FloatText4(measured) + " " + units);
    item->setText(ErrorColumn, FloatText3(error));
    item->setText(ToleranceColumn, FloatText3(ChannelFloat(FSetup, channel, channel::Tolerance)));
    for (int column = 0; column < kColumnCount; ++column)
        item->setTextAlignment(column, kColumns[column].alignment | Qt::AlignVCenter);
    ListViewResults->insertTopLevelItem(at, item);
    ListViewResults->scrollToItem(item);
    SetActionsEnabled(true);
    ++FPointCount[channel - 1];
}

void TFrame_Results::ClearResults() {
    ListViewResults->setUpdatesEnabled(false);
    ListViewResults->clear();
    ListViewResults->setUpdatesEnabled(true);
    for (std::int32_t& count : FPointCount) count = 0;
    ClearProtocol(Protocol());
}

void TFrame_Results::BitBtnClearClick() {
    ClearResults();
    SetActionsEnabled(false);
    BitBtnRemoveLine->setEnabled(false);
}

void TFrame_Results::ListViewResultsSelectItem(QTreeWidgetItem* item, bool /*selected*/) {
    BitBtnRemoveLine->setEnabled(item != nullptr);
}

void TFrame_Results::BitBtnRemoveLineClick() {
    const QList<QTreeWidgetItem*> selection = ListViewResults->selectedItems();
    if (selection.isEmpty()) return;
    QTreeWidgetItem* chosen = selection.first();
    const QString point = chosen->text(PointColumn);
    if (platform::MessageBox(nullptr, U("Удалить записи точки № ") + point + U(" ?"),
                             U("Подтвердите операцию!"),
                             platform::MB_ICONWARNING | platform::MB_YESNO) != platform::IDYES)
        return;
    bool readable = false;
    point.toInt(&readable);
    // The item may have gone while the question was open.
    const int selected = ListViewResults->indexOfTopLevelItem(chosen);
    if (!readable || selected < 0) return;

    std::vector<ResultEntry> entries;
    for (int i = 0; i < ListViewResults->topLevelItemCount(); ++i)
        entries.push_back(EntryOf(ListViewResults->topLevelItem(i)));
    const MeasProtocolRef protocol = Protocol();
    const int measCount = protocol.count != nullptr ? *protocol.count : 0;
    const PointRemoval plan = PlanPointRemoval(entries, selected, measCount);

    // With the chosen row current, the list would make the row that takes its place current and
    // selected while it is being removed, and draw it without its texts.
    ListViewResults->selectionModel()->clear();
    for (auto it = plan.removed.rbegin(); it != plan.removed.rend(); ++it)
        delete ListViewResults->takeTopLevelItem(*it);
    for (int i = 0; i < ListViewResults->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ListViewResults->topLevelItem(i);
        const ResultEntry& entry = plan.kept[static_cast<std::size_t>(i)];
        if (EntryOf(item).point != entry.point) item->setText(PointColumn, QString::number(entry.point));
        item->setData(ChannelColumn, kProtocolRowRole, entry.protocolRow);
    }
    if (plan.protocolRow >= 0) RemoveProtocolRow(protocol, plan.protocolRow);
    for (std::size_t c = 0; c < 4; ++c) {
        FPointCount[c] -= plan.removedPerChannel[c];
        if (FPointCount[c] < 0) FPointCount[c] = 0;
    }

    BitBtnRemoveLine->setEnabled(false);
    if (ListViewResults->topLevelItemCount() == 0) SetActionsEnabled(false);
}

void TFrame_Results::Btn_ToExcelClick(QObject* sender) {
    // The answer time-out is left as it is: the report talks to no instrument, and a countdown set
    // to expire would end an open exchange or a running measurement as if the link were lost.
    const MeasProtocolRef protocol = Protocol();
    const ReportSources sources{.setup = FSetup,
                                .protocol = protocol.rows,
                                .protocolRows = protocol.rows != nullptr ? kProtocolRows : 0,
                                .methodDocument = Hooks.methodDocument};
    MakeReport(sender == Btn_ToExcel ? 0 : 1, sources);
}
