#include "app/archive/frame_archive.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>

#include "app/controls/control_rules.h"
#include "app/controls/tool_chart.h"
#include "app/model/pressure_units.h"

#include "platform/class_library/components.h"
#include "platform/class_library/utf8_literal.h"

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* button = new QPushButton(U(caption), parent);
    button->setObjectName(name);
    if (hint) button->setToolTip(U(hint));
    return button;
}

struct Column {
    const char* caption;
    int width;        // in the font the form was drawn with
    const char* fits;  // the widest cell the width was made for
};

// Eights: the widest digit of most fonts. A stored value is cut to nine characters, a factory
// number has at most eight digits.
const Column kColumns[] = {
    {"№", 40, "888"},
    {"  Дата/время", 120, "28/12/2088  23:58:58"},
    {"Т в.с., °С", 80, "-8888.888"},
    {"Единицы", 80, "мм.рт.ст."},
    {"P  эт.", 60, "-8888.888"},
    {"P изм. 1", 71, "-8888.888"},
    {"Погр.1, % ", 88, "-8888.888"},
    {"Зав.№ 1", 80, "88888888"},
    {"P изм. 2", 72, "-8888.888"},
    {"Погр.2, % ", 88, "-8888.888"},
    {"Зав.№ 2", 80, "88888888"},
    {"P изм. 3", 72, "-8888.888"},
    {"Погр.3, % ", 90, "-8888.888"},
    {"Зав.№ 3", 80, "88888888"},
    {"P изм. 4", 75, "-8888.888"},
    {"Погр.4, % ", 90, "-8888.888"},
    {"Зав.№ 4", 80, "88888888"},
};

// The width a cell of the table needs to show the text whole, as the table's items measure it.
int CellWidth(const QTreeWidget* table, const QString& text) {
    QStyleOptionViewItem option;
    option.initFrom(table);
    option.widget = table;
    option.font = table->font();
    option.fontMetrics = QFontMetrics(option.font);
    option.features = QStyleOptionViewItem::HasDisplay;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.text = text;
    return table->style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), table).width();
}

// The form's widths, all scaled by one factor, so that every caption and the cells each column was
// made for fit in the table's own font; never narrower than the form's.
void SetColumnWidths(QTreeWidget* table) {
    double scale = 1.0;
    for (int i = 0; i < table->columnCount(); ++i) {
        const int needed = std::max(table->header()->sectionSizeHint(i), CellWidth(table, U(kColumns[i].fits)));
        scale = std::max(scale, static_cast<double>(needed) / kColumns[i].width);
    }
    for (int i = 0; i < table->columnCount(); ++i)
        table->setColumnWidth(i, static_cast<int>(std::ceil(kColumns[i].width * scale)));
}

// The low four bits of a record's units byte; the codes that name no unit show "--".
constexpr int kUnitCodes = 16;

void BuildTable(QTreeWidget* table) {
    table->setColumnCount(static_cast<int>(std::size(kColumns)));
    QStringList captions;
    for (const Column& column : kColumns) captions << U(column.caption);
    table->setHeaderLabels(captions);
    table->header()->setSectionsClickable(false);
    table->header()->setSectionsMovable(false);
    table->setRootIsDecorated(false);
    table->setItemsExpandable(false);
    table->setUniformRowHeights(true);
    table->setAllColumnsShowFocus(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setDragEnabled(false);
    // Grid lines between the cells, as a report-style list view draws them.
    table->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid #d0d0d0; "
                                        "border-bottom: 1px solid #d0d0d0; }"));
    QFont font = table->font();
    font.setBold(true);
    table->setFont(font);
    SetColumnWidths(table);
}

}  // namespace

TFrameArchiv::TFrameArchiv(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameArchiv1");
    platform::MarkAsOwner(this);

    ReadArchive = Button(this, "ReadArchive", "   Считать архив", nullptr);
    StopArchiveReading =
        Button(this, "StopArchiveReading", "   Остановить", "Остановить считывание архива из прибора");
    StopArchiveReading->hide();
    ClearArchive = Button(this, "ClearArchive", "   Очистить архив", "произвести очистку архива в приборе");
    StopArchiveClearing = Button(this, "StopArchiveClearing", "   Остановить", "Остановить очистку архива");
    StopArchiveClearing->hide();
    ArchiveProcess = new QProgressBar(this);
    ArchiveProcess->setObjectName("ArchiveProcess");
    ArchiveProcess->setRange(0, 511);
    ArchiveProcess->hide();
    MakeGraph = Button(this, "MakeGraph", "   Построить график", nullptr);
    ExcelArchive = Button(this, "ExcelArchive", "   Перенести в Excel", "Перенести архив из таблицы в Microsoft® Excel");
    ListViewArchiv1 = new QTreeWidget(this);
    ListViewArchiv1->setObjectName("ListViewArchiv1");
    BuildTable(ListViewArchiv1);
    ListViewArchiv1->viewport()->installEventFilter(this);
    lbMsg = new QListWidget(this);
    lbMsg->setObjectName("lbMsg");
    lbMsg->addItems({U("Продолжить чтение с записи "),
                     U("Все данные архива будут уничтожены!    Продолжить ?")});
    lbMsg->hide();
    UnitStr = new QListWidget(this);
    UnitStr->setObjectName("UnitStr");
    for (int code = 0; code < kUnitCodes; ++code) {
        const QString unit = InstrumentUnitText(code);
        UnitStr->addItem(unit.isEmpty() ? QStringLiteral("--") : unit);
    }
    UnitStr->hide();
    BuildCharts();

    // Each "Остановить" stands where the button it stops stands; the two take turns.
    auto* readCell = new QGridLayout;
    readCell->addWidget(ReadArchive, 0, 0);
    readCell->addWidget(StopArchiveReading, 0, 0);
    auto* clearCell = new QGridLayout;
    clearCell->addWidget(ClearArchive, 0, 0);
    clearCell->addWidget(StopArchiveClearing, 0, 0);
    for (QWidget* w : {static_cast<QWidget*>(ReadArchive), static_cast<QWidget*>(StopArchiveReading),
                       static_cast<QWidget*>(ClearArchive), static_cast<QWidget*>(StopArchiveClearing)})
        KeepPlaceWhenHidden(w);
    auto* buttons = new QHBoxLayout;
    buttons->addLayout(readCell);
    buttons->addLayout(clearCell);
    buttons->addWidget(MakeGraph);
    buttons->addWidget(ExcelArchive);
    buttons->addWidget(ArchiveProcess);
    buttons->addStretch();
    auto* charts = new QSplitter(Qt::Horizontal);
    charts->addWidget(ArchiveGraph);
    charts->addWidget(FaultGraph);
    auto* tableAndCharts = new QSplitter(Qt::Vertical);
    tableAndCharts->addWidget(ListViewArchiv1);
    tableAndCharts->addWidget(charts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(tableAndCharts, 1);

    connect(ReadArchive, &QPushButton::clicked, this, [this] { ReadArchiveClick(ReadArchive); });
    connect(ClearArchive, &QPushButton::clicked, this, [this] { ClearArchiveClick(ClearArchive); });
    connect(StopArchiveReading, &QPushButton::clicked, this, [this] { StopArchiveReadingClick(StopArchiveReading); });
    connect(StopArchiveClearing, &QPushButton::clicked, this,
            [this] { StopArchiveClearingClick(StopArchiveClearing); });
    connect(MakeGraph, &QPushButton::clicked, this, [this] { MakeGraphClick(); });
    connect(ExcelArchive, &QPushButton::clicked, this, [this] { ExcelArchiveClick(); });
}
