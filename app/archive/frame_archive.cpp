#include "app/archive/frame_archive.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <iterator>

#include "app/controls/control_rules.h"
#include "app/controls/tool_chart.h"
#include "app/model/pressure_units.h"

#include "platform/components.h"
#include "platform/utf8_literal.h"

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* button = new QPushButton(U(caption), parent);
    button->setObjectName(name);
    if (hint) button->setToolTip(U(hint));
    return button;
}

struct Column {
    const char* caption;
    int width;
};

const Column kColumns[] = {
    {"№", 40},         {"  Дата/время", 120}, {"Т в.с., °С", 80}, {"Единицы", 80},    {"P  эт.", 60},
    {"P изм. 1", 71},   {"Погр.1, % ", 88},    {"Зав.№ 1", 80},    {"P изм. 2", 72},   {"Погр.2, % ", 88},
    {"Зав.№ 2", 80},    {"P изм. 3", 72},      {"Погр.3, % ", 90}, {"Зав.№ 3", 80},    {"P изм. 4", 75},
    {"Погр.4, % ", 90}, {"Зав.№ 4", 80},
};

// The low four bits of a record's units byte; the codes that name no unit show "--".
constexpr int kUnitCodes = 16;

void BuildTable(QTreeWidget* table) {
    table->setColumnCount(static_cast<int>(std::size(kColumns)));
    QStringList captions;
    for (const Column& column : kColumns) captions << U(column.caption);
    table->setHeaderLabels(captions);
    for (int i = 0; i < table->columnCount(); ++i) table->setColumnWidth(i, kColumns[i].width);
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
