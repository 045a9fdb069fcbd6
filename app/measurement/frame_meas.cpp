#include "app/measurement/frame_meas.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstring>

#include "app/controls/control_rules.h"
#include "app/controls/default_button.h"
#include "app/controls/frame_graph.h"
#include "app/controls/key_filter.h"
#include "app/model/pressure_units.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "app/model/value_text.h"
#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "platform/class_library/components.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/utf8_literal.h"

bool MeasWasRunning = false;
bool OnMeasPage = false;

namespace {

struct Column {
    const char* caption;
    int width;
};
constexpr Column kColumns[] = {{"Вкл", 40},           {"№ канала", 85},       {"     P н", 80},
                               {"     P в", 80},       {"   Выход", 80},        {"  Ток, мА ", 80},
                               {"      Давление", 140}, {"        Эталон", 140}, {"Погрешность, %", 150},
                               {"U", 120}};

constexpr int kPressureColumn = 6;
constexpr int kLastColumn = 9;
const QColor kEditorBackground(255, 255, 225);

// Rows are drawn in the colour of their tolerance test, decided at every paint.
class ToleranceDelegate : public QStyledItemDelegate {
public:
    ToleranceDelegate(const TFrameMeas* page, QObject* parent) : QStyledItemDelegate(parent), page_(page) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (const std::optional<QColor> colour = page_->lv_MeasCustomDrawItem(index.row()))
            option->backgroundBrush = *colour;
    }

private:
    const TFrameMeas* page_;
};

QCheckBox* GraphCheckBox(QWidget* parent, const char* name, const char* caption, const QColor& colour) {
    auto* box = new QCheckBox(U(caption), parent);
    box->setObjectName(name);
    box->setChecked(true);
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, colour);
    box->setPalette(palette);
    return box;
}

}  // namespace

TFrameMeas::TFrameMeas(QWidget* parent) : QWidget(parent), MeasProtocol(kProtocolRows * kCurrentRowSize, 0) {
    setObjectName("FrameMeas1");
    platform::MarkAsOwner(this);

    lv_Meas = new QTreeWidget(this);
    lv_Meas->setObjectName("lv_Meas");
    lv_Meas->setRootIsDecorated(false);
    lv_Meas->setColumnCount(10);
    QStringList captions;
    for (const Column& c : kColumns) captions << U(c.caption);
    lv_Meas->setHeaderLabels(captions);
    for (int i = 0; i < 10; ++i) lv_Meas->setColumnWidth(i, kColumns[i].width);
    lv_Meas->headerItem()->setTextAlignment(8, Qt::AlignHCenter);
    lv_Meas->headerItem()->setTextAlignment(9, Qt::AlignHCenter);
    lv_Meas->header()->setSectionsClickable(false);
    QFont bold = lv_Meas->font();
    bold.setBold(true);
    lv_Meas->setFont(bold);
    lv_Meas->setItemDelegate(new ToleranceDelegate(this, lv_Meas));
    lv_Meas->viewport()->installEventFilter(this);
    for (int channel = 1; channel <= 4; ++channel) {
        auto* item = new QTreeWidgetItem(lv_Meas);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
        item->setText(1, QString::number(channel));
        for (int column = 2; column <= 7; ++column) item->setText(column, " ");
    }

    BitBtn_Start = new QPushButton(U("  Старт"), this);
    BitBtn_Start->setObjectName("BitBtn_Start");
    BitBtn_Start->setToolTip(U("Запуск измерений"));
    BitBtn_Start->setDefault(true);
    BitBtn_Stop = new QPushButton(U("  Стоп"), this);
    BitBtn_Stop->setObjectName("BitBtn_Stop");
    BitBtn_Stop->setToolTip(U("Остановка измерений"));
    BitBtn_Stop->hide();
    BitBtn_Write = new QPushButton(U("Записать"), this);
    BitBtn_Write->setObjectName("BitBtn_Write");
    BitBtn_Write->setToolTip(U("Запись текущих значений в протокол"));
    BitBtn_Write->setEnabled(false);

    cbPetlSource = new QComboBox(this);
    cbPetlSource->setObjectName("cbPetlSource");
    cbPetlSource->addItems({U("Эталон: ГХВ"), U("ручной ввод")});
    cbPetlSource->setCurrentIndex(0);
    cbPetlSource->setToolTip(U("Выбор источника данных об значении эталонного давления"));
    eb_P_etl = new QLineEdit(this);
    eb_P_etl->setObjectName("eb_P_etl");
    eb_P_etl->setReadOnly(true);
    eb_P_etl->setToolTip(U("Значение эталонного давления"));
    Label_UnitsGHV = new QLabel(U("кПа"), this);
    Label_UnitsGHV->setObjectName("Label_UnitsGHV");
    cbTypeGraph = new QComboBox(this);
    cbTypeGraph->setObjectName("cbTypeGraph");
    cbTypeGraph->addItems({U("Давление"), U("Ток"), U("Погрешность")});
    cbTypeGraph->setToolTip(U("Тип данных выводимых на график"));

    auto* referenceBox = new QGroupBox(U(" Эталонное давление "), this);
    auto* reference = new QHBoxLayout(referenceBox);
    cbPetlSource->setParent(referenceBox);
    eb_P_etl->setParent(referenceBox);
    Label_UnitsGHV->setParent(referenceBox);
    reference->addWidget(cbPetlSource);
    reference->addWidget(eb_P_etl);
    reference->addWidget(Label_UnitsGHV);

    auto* graphBoxes = new QGroupBox(U("  График каналов   "), this);
    auto* boxes = new QVBoxLayout(graphBoxes);
    cbToGraph_Ch1 = GraphCheckBox(graphBoxes, "cbToGraph_Ch1", "  ------  Канал 1", Qt::blue);
    cbToGraph_Ch2 = GraphCheckBox(graphBoxes, "cbToGraph_Ch2", "  ------  Канал 2", Qt::black);
    cbToGraph_Ch3 = GraphCheckBox(graphBoxes, "cbToGraph_Ch3", "  -------  Канал 3", Qt::darkGreen);
    cbToGraph_Ch4 = GraphCheckBox(graphBoxes, "cbToGraph_Ch4", "  -------  Канал 4", QColor(128, 0, 128));
    cbToGraph_Ch0 = GraphCheckBox(graphBoxes, "cbToGraph_Ch0", "  -------  ЭТАЛОН", Qt::red);
    for (QCheckBox* box : {cbToGraph_Ch1, cbToGraph_Ch2, cbToGraph_Ch3, cbToGraph_Ch4, cbToGraph_Ch0}) {
        boxes->addWidget(box);
        OnCheckBoxClick(box, this, [this, box] { cbToGraph_Ch1Click(box); });
        // Set by a project load, the box keeps its tick: only a change by the user or the page
        // names a box to check against its row.
        platform::SetStateHandler(box, [this](QObject*) { cbToGraph_Ch1Click(nullptr); });
    }

    edP_hand = new QLineEdit("0", this);
    edP_hand->setObjectName("edP_hand");
    edP_hand->setFrame(false);
    QPalette editorPalette = edP_hand->palette();
    editorPalette.setColor(QPalette::Base, kEditorBackground);
    edP_hand->setPalette(editorPalette);
    edP_hand->setToolTip(U("Введите новое значение и нажмите Enter"));
    edP_hand->setFocusPolicy(Qt::ClickFocus);
    edP_hand->hide();
    InstallKeyFilter(edP_hand, [this](char key) { return edP_handKeyPress(key); });
    InstallKeyFilter(eb_P_etl, FilterNumericKey);
    TimerListViewEditUpdare = new QTimer(this);
    TimerListViewEditUpdare->setObjectName("TimerListViewEditUpdare");
    TimerListViewEditUpdare->setInterval(50);
    connect(TimerListViewEditUpdare, &QTimer::timeout, this, &TFrameMeas::TimerListViewEditUpdareTimer);

    FrameGraph1 = new TFrameGraph(this);
    FrameGraph1->Records = {[this] { return CurrentRow; }, [this] { return SetupRecord; }};
    FrameGraph1->SetChannelBoxes(cbToGraph_Ch0, cbToGraph_Ch1, cbToGraph_Ch2, cbToGraph_Ch3, cbToGraph_Ch4);

    // "Стоп" stands where "Старт" stands; the two take turns.
    auto* buttons = new QGridLayout;
    buttons->addWidget(BitBtn_Start, 0, 0);
    buttons->addWidget(BitBtn_Stop, 0, 0);
    buttons->addWidget(BitBtn_Write, 1, 0);
    KeepPlaceWhenHidden(BitBtn_Start);
    KeepPlaceWhenHidden(BitBtn_Stop);
    auto* typeBox = new QVBoxLayout;
    typeBox->addWidget(new QLabel(U("Тип графика"), this));
    typeBox->addWidget(cbTypeGraph);
    auto* controls = new QHBoxLayout;
    controls->addLayout(buttons);
    controls->addWidget(referenceBox);
    controls->addLayout(typeBox);
    controls->addStretch();
    auto* lower = new QHBoxLayout;
    lower->addWidget(FrameGraph1, 1);
    lower->addWidget(graphBoxes, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lv_Meas);
    layout->addLayout(controls);
    layout->addLayout(lower, 1);
    lv_Meas->setFixedHeight(lv_Meas->sizeHintForRow(0) * 4 + lv_Meas->header()->sizeHint().height() + 8);

    // The in-place editor closes on Enter.
    PressDefaultButtonOnEnter(this, BitBtn_Start, {edP_hand});
    connect(BitBtn_Start, &QPushButton::clicked, this, &TFrameMeas::BitBtn_StartClick);
    connect(BitBtn_Stop, &QPushButton::clicked, this, &TFrameMeas::BitBtn_StopClick);
    connect(BitBtn_Write, &QPushButton::clicked, this, &TFrameMeas::BitBtn_WriteClick);
    connect(cbPetlSource, &QComboBox::activated, this, &TFrameMeas::cbPetlSourceChange);
    connect(cbTypeGraph, &QComboBox::activated, this, &TFrameMeas::cbTypeGraphChange);
    connect(lv_Meas, &QTreeWidget::itemClicked, this, [this] { lv_MeasClick(); });
    connect(lv_Meas, &QTreeWidget::itemDoubleClicked, this, [this] { lv_MeasClick(); });

    RegisterWork(WorkMeasurement, [this](std::uint16_t event, const WorkInput& input) { MeasCycleStep(event, input); });
}

TFrameMeas::~TFrameMeas() { RegisterWork(WorkMeasurement, {}); }

void TFrameMeas::SetRecords(std::uint8_t* setupRecord, std::uint8_t* currentRow) {
    SetupRecord = setupRecord;
    CurrentRow = currentRow;
    FrameGraph1->EGLast->setValue(0);
}

void TFrameMeas::BitBtn_StartClick() {
    BitBtn_Start->hide();
    BitBtn_Stop->show();
    // "Записать" waits for the first complete sweep of this run: nothing older may be recorded.
    BitBtn_Write->setEnabled(false);
    if (WorkState != WorkIdle) return;  // another work runs: the page only looks started
    ReportUnknownUnits();
    std::fill(std::begin(freshInRun_), std::end(freshInRun_), false);
    SetupUncertainty();
    WorkState = WorkMeasurement;
    PostWorkEvent(EvStart);
    if (Hooks.showWorkName) Hooks.showWorkName(8);
    if (!FResuming) {
        FrameGraph1->ClearChart();
        FrameGraph1->ClearSeries();
    }
    FrameGraph1->EnableSampling(true);
    for (int channel = 1; channel <= 4; ++channel) {
        if (RowTicked(channel)) continue;
        for (int column = 2; column <= 8; ++column) SetCell(channel, column, " ");
    }
}

void TFrameMeas::BitBtn_StopClick() {
    PostWorkEvent(EvStop);
    BitBtn_Start->show();
    BitBtn_Stop->hide();
    FrameGraph1->EnableSampling(false);
    BitBtn_Write->setEnabled(false);
    MeasWasRunning = false;
    FResuming = false;
}

void TFrameMeas::RefreshChannelRows() {
    for (int channel = 1; channel <= 4; ++channel) {
        QTreeWidgetItem* item = lv_Meas->topLevelItem(channel - 1);
        if (item == nullptr) continue;
        if (SetupRecord && ChannelInt(SetupRecord, channel, channel::Used) == 0) {
            item->setCheckState(0, Qt::Unchecked);
            for (int column = 2; column <= kLastColumn; ++column) item->setText(column, QString());
        }
        if (!RowTicked(channel)) GraphBox(channel)->setChecked(false);
    }
}

void TFrameMeas::ReferenceFromInstrument(bool automatic) {
    if (automatic) {
        {
            const QSignalBlocker quiet(cbPetlSource);
            cbPetlSource->setCurrentIndex(0);
            cbPetlSource->setEnabled(false);
        }
        // The reference edit follows the source it now shows: no hand entry stays open.
        cbPetlSourceChange();
    } else {
        cbPetlSource->setEnabled(true);
    }
}

void TFrameMeas::cbPetlSourceChange() {
    // While the reference's units come from the instrument, so does the reference: whatever set
    // the source (a project's stored item), it stays on the instrument.
    if (Hooks.referenceUnitsFromInstrument && Hooks.referenceUnitsFromInstrument() &&
        cbPetlSource->currentIndex() != 0) {
        const QSignalBlocker quiet(cbPetlSource);
        cbPetlSource->setCurrentIndex(0);
    }
    eb_P_etl->setReadOnly(cbPetlSource->currentIndex() != 1);
}

void TFrameMeas::cbTypeGraphChange() { FrameGraph1->SetGraphType(cbTypeGraph->currentIndex()); }

void TFrameMeas::lv_MeasClick() {
    if (SetupRecord == nullptr) return;
    for (int channel = 1; channel <= 4; ++channel) {
        QTreeWidgetItem* item = lv_Meas->topLevelItem(channel - 1);
        if (ChannelInt(SetupRecord, channel, channel::Used) == 0) item->setCheckState(0, Qt::Unchecked);
        if (item->checkState(0) == Qt::Checked) continue;
        for (int column = 2; column <= kLastColumn; ++column) item->setText(column, " ");
    }
}

std::optional<QColor> TFrameMeas::lv_MeasCustomDrawItem(int rowIndex) const {
    const int channel = rowIndex + 1;
    if (SetupRecord == nullptr || channel < 1 || channel > 4 || !RowTicked(channel)) return std::nullopt;
    const std::optional<float> error = ReadFloat(lv_Meas->topLevelItem(rowIndex)->text(8));
    if (!error) return std::nullopt;
    return OutOfTolerance(channel, *error) ? QColor(Qt::yellow) : lv_Meas->palette().color(QPalette::Base);
}

QCheckBox* TFrameMeas::GraphBox(int channel) const {
    QCheckBox* const boxes[] = {cbToGraph_Ch0, cbToGraph_Ch1, cbToGraph_Ch2, cbToGraph_Ch3, cbToGraph_Ch4};
    return boxes[channel];
}

void TFrameMeas::cbToGraph_Ch1Click(QCheckBox* sender) {
    if (lv_Meas->topLevelItemCount() < 4) return;
    for (int channel = 1; channel <= 4; ++channel) {
        if (sender == GraphBox(channel) && !RowTicked(channel)) sender->setChecked(false);
    }
    FrameGraph1->UpdateSeriesVisibility();
}

// The pressure cell of the row being edited, in the frame's coordinates.
void TFrameMeas::PlaceEditor() {
    QTreeWidgetItem* item = lv_Meas->topLevelItem(EditRow);
    if (item == nullptr) return;
    const QRect rowRect = lv_Meas->visualItemRect(item);
    const QHeaderView* header = lv_Meas->header();
    const QRect cell(header->sectionViewportPosition(EditCol), rowRect.top(), header->sectionSize(EditCol),
                     rowRect.height());
    const QPoint topLeft = lv_Meas->viewport()->mapTo(this, cell.topLeft());
    edP_hand->setGeometry(topLeft.x(), topLeft.y(), cell.width() - 1, cell.height() - 1);
}

void TFrameMeas::CloseEditorIntoCell() {
    if (QTreeWidgetItem* item = lv_Meas->topLevelItem(EditRow)) item->setText(EditCol, edP_hand->text());
}

void TFrameMeas::lv_MeasMouseDown(const QPoint& position) {
    if (!edP_hand->isHidden()) CloseEditorIntoCell();
    QTreeWidgetItem* item = lv_Meas->itemAt(5, position.y());
    if (item == nullptr) return;
    const int rowIndex = lv_Meas->indexOfTopLevelItem(item);
    const int column = lv_Meas->header()->logicalIndexAt(position.x());
    if (column < 0) return;
    if (column == 0) {
        GraphBox(rowIndex + 1)->setChecked(item->checkState(0) == Qt::Checked);
        return;
    }
    EditRow = rowIndex;
    EditCol = column;
    const bool typedPressure =
        column == kPressureColumn && SetupRecord && ChannelInt(SetupRecord, rowIndex + 1, channel::Dependency) == -1;
    if (typedPressure) {
        PlaceEditor();
        edP_hand->setText(item->text(kPressureColumn));
        edP_hand->show();
        edP_hand->raise();
        edP_hand->setFocus();
        TimerListViewEditUpdare->start();
    } else if (column <= kLastColumn) {
        edP_hand->hide();
        TimerListViewEditUpdare->stop();
    }
}

char TFrameMeas::edP_handKeyPress(char key) {
    if (key == '\r') {
        edP_hand->hide();
        TimerListViewEditUpdare->stop();
        CloseEditorIntoCell();
        return 0;
    }
    return FilterNumericKey(key);
}

void TFrameMeas::TimerListViewEditUpdareTimer() {
    if (!edP_hand->isHidden()) PlaceEditor();
}

bool TFrameMeas::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lv_Meas->viewport() && event->type() == QEvent::MouseButtonPress)
        lv_MeasMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
    return false;
}

// The unit lookups of a running sweep stay silent; an unknown unit is said once, here.
void TFrameMeas::ReportUnknownUnits() {
    if (SetupRecord == nullptr) return;
    bool unknown = !FindUnitFactor(SetupText(SetupRecord, setup::RefUnits)).has_value();
    for (int channel = 1; channel <= 4; ++channel) {
        if (ChannelInt(SetupRecord, channel, channel::Used) != 0 && !FindUnitFactor(ChannelUnits(channel)))
            unknown = true;
    }
    if (unknown) platform::ShowMessage(U("Не найдена единица измерения !!!"));
}

void TFrameMeas::SetupUncertainty() {
    ResetWindow(FRefWindow);
    for (StatWindow& window : FChannelWindow) ResetWindow(window);
    const int classIndex = Hooks.referenceClassIndex ? Hooks.referenceClassIndex() : -1;
    const QString refUnits = SetupRecord ? SetupText(SetupRecord, setup::RefUnits) : QString();
    for (int channel = 1; channel <= 4; ++channel) {
        UncertaintyBudget& budget = FBudget[channel - 1];
        budget.ChannelWindow = &FChannelWindow[channel - 1];
        budget.RefWindow = &FRefWindow;
        budget.HandEntry = cbPetlSource->currentIndex() == 1 ? 1 : 0;
        budget.ClassPercent = ReferenceClassPercent(classIndex);
        budget.RefUnitsFactor = FindUnitFactor(refUnits).value_or(1.0f);
        if (SetupRecord == nullptr) continue;
        budget.UpperLimit = ChannelFloat(SetupRecord, channel, channel::UpperLimit);
        budget.LowerLimit = ChannelFloat(SetupRecord, channel, channel::LowerLimit);
        budget.UnitsFactor = ChannelFactor(channel);
        SetOutputCurrents(budget, ChannelText(SetupRecord, channel, channel::OutputText));
    }
}

void TFrameMeas::BitBtn_WriteClick() {
    // The results rows remember the protocol row this press fills, if it fills one.
    const int rowToFill = CurrentRow != nullptr && MeasCount < kProtocolRowLimit ? MeasCount : -1;
    std::vector<int> channels;
    for (int channel = 1; channel <= 4; ++channel) {
        if (IsChannelSelected(channel) && freshInRun_[channel - 1]) channels.push_back(channel);
    }
    // A press whose results rows cannot be made records no protocol row either: that row could
    // be neither seen nor removed on the results page.
    if (!AddResultRows(Hooks.resultRows, SetupRecord, CurrentRow, channels, rowToFill)) return;
    if (rowToFill < 0) return;
    std::uint8_t* protocolRow = MeasProtocol.data() + static_cast<std::size_t>(MeasCount) * kCurrentRowSize;
    std::memcpy(protocolRow, CurrentRow, kCurrentRowSize);
    protocolRow[row::Written] = 1;
    for (int channel = 1; channel <= 4; ++channel) {
        const bool used = SetupRecord && ChannelInt(SetupRecord, channel, channel::Used) != 0;
        const bool included = used && RowTicked(channel) && freshInRun_[channel - 1];
        WriteInt32(protocolRow, MeasBlockOffset(channel) + block::Included, included ? 1 : 0);
    }
    ++MeasCount;
}
