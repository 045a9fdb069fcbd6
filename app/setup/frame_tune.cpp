#include "app/setup/frame_tune.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/controls/control_rules.h"
#include "app/controls/default_button.h"
#include "app/controls/key_filter.h"
#include "app/model/reference_models.h"
#include "platform/class_library/components.h"
#include "platform/class_library/cp1251.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/utf8_literal.h"

namespace {

QStringList Texts(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items) list << U(item);
    return list;
}

constexpr int kGridColumns = 10;
constexpr int kGridRows = 5;
constexpr int kRowHeight = 19;
constexpr int kColumnWidths[kGridColumns] = {80, 110, 80, 80, 80, 80, 88, 80, 100, 80};
constexpr int kEditLimit = 78;
const QColor kGridBackground(251, 251, 251);
const QColor kFixedCells(225, 225, 225);
const char* const kAddEntry = "Добавить";

const QStringList& SensorNames() {
    static const QStringList names = Texts({"нет", "УЛМ-41", "УЛМ-41К", "УЛМ-41К2", "УЛМ-41Т", "УЛМ-41Р", "УЛМ-52/В3",
                                            "УЛМ-63", "ДРК-7 ", "ДРК-8", "ТОРВИН-3", "ФЕЛДАР-9", "Добавить"});
    return names;
}

QLineEdit* Edit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(kEditLimit);
    return edit;
}

QComboBox* Combo(QWidget* parent, const char* name, const QStringList& items, bool editable) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    if (editable) MakeEditableWithoutInsert(combo);
    combo->addItems(items);
    return combo;
}

// Typed-in grid cells pass their keys through the grid's key filter.
class GridCellDelegate : public QStyledItemDelegate {
public:
    GridCellDelegate(TFrameTune* page, QObject* parent) : QStyledItemDelegate(parent), page_(page) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor) InstallKeyFilter(editor, [page = page_](char key) { return page->Grid_TuneKeyPress(key); });
        return editor;
    }

private:
    TFrameTune* page_;
};

}  // namespace

TFrameTune::TFrameTune(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameTune1");
    platform::MarkAsOwner(this);

    auto* groups = new QHBoxLayout;
    auto* conditionsBox = new QGroupBox(U(" Условия поверки "), this);
    auto* conditions = new QGridLayout(conditionsBox);
    BuildConditions(conditions);
    auto* referenceBox = new QGroupBox(U("  Эталонный  преобразователь  "), this);
    auto* reference = new QGridLayout(referenceBox);
    BuildReference(reference);
    groups->addWidget(conditionsBox);
    groups->addWidget(referenceBox);

    auto* instrument = new QGridLayout;
    Edit_Kf_Fault = Edit(this, "Edit_Kf_Fault");
    edZavNoZKV = Edit(this, "edZavNoZKV");
    cb_ZKV_Diap = Combo(this, "cb_ZKV_Diap", Texts({"0...0.6  МПа", "0...2.5  МПа", "0...16  МПа"}), true);
    cb_ZKV_Diap->setCurrentIndex(0);
    RadioButton1 = new QRadioButton(U("первичная поверка"), this);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton1->setChecked(true);
    rb_IsPeriodic = new QRadioButton(U("периодическая поверка"), this);
    rb_IsPeriodic->setObjectName("rb_IsPeriodic");
    ed_OwnerName = Edit(this, "ed_OwnerName");
    Btn_Show_MP = new QPushButton(U("Методики измерений"), this);
    Btn_Show_MP->setObjectName("Btn_Show_MP");
    Btn_Show_MP->setFlat(true);
    QFont underlined = Btn_Show_MP->font();
    underlined.setUnderline(true);
    Btn_Show_MP->setFont(underlined);
    instrument->addWidget(new QLabel(U(" Коэффициент для анализа погрешности :"), this), 0, 0);
    instrument->addWidget(Edit_Kf_Fault, 0, 1);
    instrument->addWidget(new QLabel(U("ЗКВ, заводской № :"), this), 0, 2);
    instrument->addWidget(edZavNoZKV, 0, 3);
    instrument->addWidget(new QLabel(U("Диапазон ЗКВ :"), this), 0, 4);
    instrument->addWidget(cb_ZKV_Diap, 0, 5);
    instrument->addWidget(RadioButton1, 1, 0);
    instrument->addWidget(rb_IsPeriodic, 1, 1);
    instrument->addWidget(new QLabel(U("Владелец :"), this), 1, 2);
    instrument->addWidget(ed_OwnerName, 1, 3, 1, 2);
    instrument->addWidget(Btn_Show_MP, 1, 5);

    BuildGrid();
    Label_help = new QLabel(
        U("*  Для удаления названия из списка, выберите датчик и нажмите клавишу \"Delete\""), this);
    Label_help->setObjectName("Label_help");
    Label_help->hide();
    KeepPlaceWhenHidden(Label_help);
    BitBtn_Apply = new QPushButton(U("Применить"), this);
    BitBtn_Apply->setObjectName("BitBtn_Apply");
    BitBtn_Apply->setDefault(true);
    BitBtn_Undo = new QPushButton(U("Отменить изменения"), this);
    BitBtn_Undo->setObjectName("BitBtn_Undo");
    SetChangeButtons(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtn_Apply);
    buttons->addWidget(BitBtn_Undo);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(instrument);
    layout->addWidget(Grid_Tune);
    layout->addWidget(Label_help);
    layout->addLayout(buttons);
    layout->addStretch();

    BuildInPlaceCombos();
    BuildMethodPanel();
    // In the grid and its in-place combos Enter edits the cells.
    PressDefaultButtonOnEnter(this, BitBtn_Apply,
                              {Grid_Tune, sg_MP, ComboBoxModel_1, ComboBoxModel_2, ComboBoxModel_3, ComboBoxModel_4,
                               ComboUnits, ComboOutDiap, ComboFunc});

    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit_Kf_Fault, edZavNoZKV, EditName, ed_OwnerName}) {
        connect(edit, &QLineEdit::textChanged, this, &TFrameTune::Edit1Change);
    }
    for (QLineEdit* edit : {Edit1, Edit2, Edit3, Edit_Kf_Fault, edZavNoZKV}) InstallKeyFilter(edit, FilterTuneNumberKey);
    for (QComboBox* combo : {cbZavNo, cbGHV_class, cbGHVunits}) {
        connect(combo, &QComboBox::activated, this, &TFrameTune::Edit1Change);
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, &TFrameTune::Edit1Change);
    }
    for (QComboBox* combo : {cbGHVmodel, cbGHV_type}) {
        connect(combo, &QComboBox::activated, this, &TFrameTune::cbGHVmodelChange);
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, &TFrameTune::cbGHVmodelChange);
    }
    // The serial's text picks its item, typed or set by code, so that what a project keeps as the
    // selection is the serial shown.
    connect(cbZavNo, &QComboBox::editTextChanged, this, &TFrameTune::SelectSerialOfText);
    OnCheckBoxClick(cbGHVunitsFromZKV, this, [this] { cbGHVunitsFromZKVClick(); });
    connect(RadioButton1, &QRadioButton::clicked, this, &TFrameTune::RadioButton1Click);
    connect(rb_IsPeriodic, &QRadioButton::clicked, this, &TFrameTune::RadioButton1Click);
    connect(Btn_Show_MP, &QPushButton::clicked, this, &TFrameTune::Btn_Show_MPClick);
    connect(BitBtn_Apply, &QPushButton::clicked, this, [this] { BitBtn_ApplyClick(BitBtn_Apply); });
    connect(BitBtn_Undo, &QPushButton::clicked, this, [this] { BitBtn_UndoClick(BitBtn_Undo); });
}

void TFrameTune::BuildConditions(QGridLayout* layout) {
    QWidget* box = layout->parentWidget();
    Edit1 = Edit(box, "Edit1");
    Edit2 = Edit(box, "Edit2");
    Edit3 = Edit(box, "Edit3");
    EditName = Edit(box, "EditName");
    const std::pair<const char*, QLineEdit*> rows[] = {{"Температура окр. воздуха, С            : ", Edit1},
                                                       {"Влажность окр. воздуха,  %               :", Edit2},
                                                       {"Атмосферное давление, мм.рт. ст.  :", Edit3},
                                                       {"Поверитель :", EditName}};
    int row = 0;
    for (const auto& [label, edit] : rows) {
        layout->addWidget(new QLabel(U(label), box), row, 0);
        layout->addWidget(edit, row++, 1);
    }
}

void TFrameTune::BuildReference(QGridLayout* layout) {
    QWidget* box = layout->parentWidget();
    cbGHV_type = Combo(box, "cbGHV_type", Texts({"ГХВ-1", "ГХВ-1Ф", "ГХВ-2", "ГХВ-1Ф", "ГХВ-1В"}), true);
    cbGHVmodel = Combo(box, "cbGHVmodel", ReferenceModelCodes(), true);
    cbZavNo = Combo(box, "cbZavNo", {}, true);
    cbGHV_class = Combo(box, "cbGHV_class", Texts({"A0", "A", "B"}), true);
    cbGHVunits = Combo(box, "cbGHVunits", Texts({"Па", "кПа", "МПа", "кгс/см2", "кгс/м2", "мм.рт.ст.", "бар", "psi"}), true);
    cbGHVunitsFromZKV = new QCheckBox(U("Автоматическое определение единиц"), box);
    cbGHVunitsFromZKV->setObjectName("cbGHVunitsFromZKV");
    cbGHVunitsFromZKV->hide();
    const std::pair<const char*, QComboBox*> rows[] = {{"Тип  ГХВ                    :", cbGHV_type},
                                                       {"Модель  ГХВ            :", cbGHVmodel},
                                                       {"Заводской  №           :", cbZavNo},
                                                       {"Класс точности        :", cbGHV_class},
                                                       {"Ед. измерения ГХВ :", cbGHVunits}};
    int row = 0;
    for (const auto& [label, combo] : rows) {
        layout->addWidget(new QLabel(U(label), box), row, 0);
        layout->addWidget(combo, row++, 1);
    }
    layout->addWidget(cbGHVunitsFromZKV, row, 0, 1, 2);
}

void TFrameTune::BuildGrid() {
    Grid_Tune = new QTableWidget(kGridRows, kGridColumns, this);
    Grid_Tune->setObjectName("Grid_Tune");
    Grid_Tune->horizontalHeader()->hide();
    Grid_Tune->verticalHeader()->hide();
    Grid_Tune->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid_Tune->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid_Tune->setShowGrid(true);
    Grid_Tune->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid_Tune->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed);
    Grid_Tune->setItemDelegate(new GridCellDelegate(this, Grid_Tune));
    platform::SetFixedCells(Grid_Tune, 1, 1);
    QPalette palette = Grid_Tune->palette();
    palette.setColor(QPalette::Base, kGridBackground);
    Grid_Tune->setPalette(palette);

    ListGridColNames = new QListWidget(this);
    ListGridColNames->setObjectName("ListGridColNames");
    ListGridColNames->addItems(Texts({"-- - Названия колонок ----", "№ канала", "Название ДД", "Модель", "Зав. №", "Рн",
                                      "Рв", "Ед. изм.", "Выход", "Зависимость", "Допуск, %", "  "}));
    ListGridColNames->hide();

    int height = 0;
    for (int row = 0; row < kGridRows; ++row) {
        Grid_Tune->setRowHeight(row, kRowHeight);
        height += kRowHeight;
    }
    int width = 0;
    for (int column = 0; column < kGridColumns; ++column) {
        Grid_Tune->setColumnWidth(column, kColumnWidths[column]);
        width += kColumnWidths[column];
    }
    Grid_Tune->setFixedSize(width + 2 * Grid_Tune->frameWidth() + kGridColumns,
                            height + 2 * Grid_Tune->frameWidth() + kGridRows);
    for (int row = 0; row < kGridRows; ++row) {
        for (int column = 0; column < kGridColumns; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
            const bool fixed = row == 0 || column == 0;
            // The in-place combos edit their columns; the fixed cells are titles.
            const bool typed = !fixed && column != 1 && column != 6 && column != 7 && column != 8;
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (typed) flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            if (fixed) item->setBackground(kFixedCells);
            Grid_Tune->setItem(row, column, item);
        }
    }
    for (int column = 0; column < kGridColumns; ++column)
        SetCellText(0, column, ListGridColNames->item(column + 1)->text());
    for (int row = 1; row < kGridRows; ++row) SetCellText(row, 0, QString::number(row));
    Grid_Tune->setCurrentCell(-1, -1);

    Grid_Tune->installEventFilter(this);
    InstallKeyFilter(Grid_Tune, [this](char key) { return Grid_TuneKeyPress(key); });
    connect(Grid_Tune, &QTableWidget::currentCellChanged, this,
            [this](int row, int column, int, int) { Grid_TuneSelectCell(column, row); });
    connect(Grid_Tune, &QTableWidget::cellClicked, this, [this](int, int) { Grid_TuneClick(); });
}

void TFrameTune::BuildInPlaceCombos() {
    QComboBox** names[] = {&ComboBoxModel_1, &ComboBoxModel_2, &ComboBoxModel_3, &ComboBoxModel_4};
    const char* nameIds[] = {"ComboBoxModel_1", "ComboBoxModel_2", "ComboBoxModel_3", "ComboBoxModel_4"};
    for (int i = 0; i < 4; ++i) {
        QComboBox* combo = Combo(this, nameIds[i], SensorNames(), true);
        combo->setToolTip(U("для удаления элемента из списка нажмите  Delete"));
        *names[i] = combo;
        connect(combo, &QComboBox::activated, this, [this, combo] { ComboBoxModel_1Change(combo); });
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, combo] { ComboBoxModel_1Change(combo); });
        platform::SetStateHandler(combo, [this](QObject* sender) { ComboBoxModel_1Change(sender); });
    }
    ComboUnits = Combo(this, "ComboUnits",
                       Texts({"  Па", "  кПа", "  МПа", " кгс/см2", " кгс/м2", "мм.рт.ст.", "   бар", "   psi"}), false);
    ComboOutDiap = Combo(this, "ComboOutDiap", Texts({"0 - 5 мА", "4 - 20 мА", "5 - 0 мА", "20 - 4 мА", "- нет -"}), false);
    ComboFunc = Combo(this, "ComboFunc", Texts({"линейная", "квадратичн."}), false);
    for (QComboBox* combo : {ComboUnits, ComboOutDiap, ComboFunc}) {
        connect(combo, &QComboBox::activated, this, [this, combo] { ComboBoxModel_1Exit(combo); });
        platform::SetStateHandler(combo, {});  // these combos have no change event, only leaving
        InstallKeyFilter(combo, FilterListOnlyKey);
    }
    for (QComboBox* combo :
         {ComboBoxModel_1, ComboBoxModel_2, ComboBoxModel_3, ComboBoxModel_4, ComboUnits, ComboOutDiap, ComboFunc}) {
        combo->hide();
        combo->installEventFilter(this);
    }
}

void TFrameTune::BuildMethodPanel() {
    pn_MP = new QGroupBox(this);
    pn_MP->setObjectName("pn_MP");
    sg_MP = new QTableWidget(50, 2, pn_MP);
    sg_MP->setObjectName("sg_MP");
    sg_MP->setHorizontalHeaderLabels({U("Название прибора"), U("Обозначение документа")});
    sg_MP->verticalHeader()->hide();
    sg_MP->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (int column = 0; column < 2; ++column) sg_MP->setColumnWidth(column, 200);
    for (int row = 0; row < 50; ++row) {
        sg_MP->setRowHeight(row, kRowHeight);
        for (int column = 0; column < 2; ++column) sg_MP->setItem(row, column, new QTableWidgetItem);
    }
    QPalette palette = sg_MP->palette();
    palette.setColor(QPalette::Base, kGridBackground);
    sg_MP->setPalette(palette);
    sg_MP->installEventFilter(this);
    Bnt_Hide_pn_MP = new QPushButton(U("Назад"), pn_MP);
    Bnt_Hide_pn_MP->setObjectName("Bnt_Hide_pn_MP");
    auto* layout = new QVBoxLayout(pn_MP);
    layout->addWidget(sg_MP);
    layout->addWidget(Bnt_Hide_pn_MP, 0, Qt::AlignRight);
    pn_MP->setGeometry(8, 8, 440, 420);
    pn_MP->hide();
    connect(Bnt_Hide_pn_MP, &QPushButton::clicked, this, &TFrameTune::Bnt_Hide_pn_MPClick);
}

QComboBox* TFrameTune::NameCombo(int row) const {
    switch (row) {
        case 1: return ComboBoxModel_1;
        case 2: return ComboBoxModel_2;
        case 3: return ComboBoxModel_3;
        case 4: return ComboBoxModel_4;
        default: return nullptr;
    }
}

QString TFrameTune::CellText(int row, int column) const {
    const QTableWidgetItem* item = Grid_Tune->item(row, column);
    return item ? item->text() : QString();
}

void TFrameTune::SetCellText(int row, int column, const QString& text) {
    if (QTableWidgetItem* item = Grid_Tune->item(row, column)) item->setText(text);
}

void TFrameTune::SetChangeButtons(bool enabled) {
    BitBtn_Apply->setEnabled(enabled);
    BitBtn_Undo->setEnabled(enabled);
}

QComboBox* TFrameTune::InPlaceComboFor(int column, int row) const {
    switch (column) {
        case 1: return NameCombo(row);
        case 6: return ComboUnits;
        case 7: return ComboOutDiap;
        case 8: return ComboFunc;
        default: return nullptr;
    }
}

void TFrameTune::Grid_TuneSelectCell(int column, int row) {
    Label_help->setVisible(column == 1);
    QComboBox* combo = InPlaceComboFor(column, row);
    if (combo == nullptr || row < 1) return;
    const QRect cell = Grid_Tune->visualRect(Grid_Tune->model()->index(row, column));
    const QPoint topLeft = Grid_Tune->viewport()->mapTo(this, cell.topLeft());
    combo->setGeometry(topLeft.x() + 1, topLeft.y() + 1, cell.width() + 2, cell.height() + 1);
    combo->raise();
    combo->show();
    combo->setFocus();
}

void TFrameTune::Grid_TuneClick() {
    Grid_TuneSelectCell(Grid_Tune->currentColumn(), Grid_Tune->currentRow());
    SetChangeButtons(true);
}

void TFrameTune::Grid_TuneExit() {
    Label_help->hide();
    SetChangeButtons(true);
}

char TFrameTune::Grid_TuneKeyPress(char key) {
    SetChangeButtons(true);
    const int column = Grid_Tune->currentColumn();
    if ((column >= 1 && column <= 3) || key == '\r') return key;
    return FilterTuneNumberKey(key);
}

void TFrameTune::ComboBoxModel_1Exit(QObject* sender) {
    auto* combo = qobject_cast<QComboBox*>(sender);
    if (combo == nullptr || combo->isHidden()) return;
    if (!combo->currentText().contains(U(kAddEntry))) {
        SetCellText(Grid_Tune->currentRow(), Grid_Tune->currentColumn(), combo->currentText());
    }
    combo->hide();
    Grid_Tune->setFocus();
    if (combo == ComboBoxModel_1 && combo->currentIndex() == 0) {
        const int row = Grid_Tune->currentRow();
        for (int column = 2; column < kGridColumns; ++column) SetCellText(row, column, U("---"));
    }
}

void TFrameTune::ComboBoxModel_1Change(QObject* sender) {
    auto* combo = qobject_cast<QComboBox*>(sender);
    if (combo == nullptr) return;
    if (combo->currentText().contains(U(kAddEntry))) {
        QString name;
        if (platform::InputQuery(U("Добавить в список прибор"), U("Название"), name)) {
            for (QComboBox* list : {ComboBoxModel_1, ComboBoxModel_2, ComboBoxModel_3, ComboBoxModel_4})
                AddDeviceName(list, name);
        }
    }
    ComboBoxModel_1Exit(combo);
}

void TFrameTune::AddDeviceName(QComboBox* combo, const QString& name) {
    const QString trimmed = name.trimmed();
    if (combo == nullptr || trimmed.isEmpty() || combo->findText(trimmed, Qt::MatchFixedString) >= 0) return;
    if (combo->count() == 0) {
        combo->addItem(trimmed);
        combo->setCurrentIndex(0);
        return;
    }
    const QString last = combo->itemText(combo->count() - 1);
    combo->removeItem(combo->count() - 1);
    combo->addItem(trimmed);
    combo->setCurrentIndex(combo->count() - 1);
    combo->addItem(last);
}

bool TFrameTune::ComboBoxModel_1KeyDown(QObject* sender, int key) {
    auto* combo = qobject_cast<QComboBox*>(sender);
    if (key != Qt::Key_Delete || combo == nullptr) return false;
    const QString name = combo->currentText();
    if (combo->findText(name, Qt::MatchFixedString) < 0) return false;
    if (platform::MessageDlg(U("Удалить ") + name + U(" из списка ?"), platform::MsgDlgType::Confirmation,
                             platform::mbYes | platform::mbNo) == platform::mrYes) {
        for (QComboBox* list : {ComboBoxModel_1, ComboBoxModel_2, ComboBoxModel_3, ComboBoxModel_4}) {
            const int index = list->findText(name, Qt::MatchFixedString);
            if (index >= 0) list->removeItem(index);
        }
        for (int row = 0; row < sg_MP->rowCount(); ++row) {
            QTableWidgetItem* device = sg_MP->item(row, 0);
            if (device == nullptr || device->text() != name) continue;
            device->setText(QString());
            if (QTableWidgetItem* document = sg_MP->item(row, 1)) document->setText(QString());
        }
    }
    return true;
}

void TFrameTune::Edit1Change() { SetChangeButtons(true); }

void TFrameTune::cbGHVmodelChange() {
    const std::string code = platform::ToCp1251(cbGHVmodel->currentText());
    if (code.size() >= 2) {
        const auto second = static_cast<signed char>(code[1]);
        const int index = cbGHVunits->findText(U(second >= '6' ? "МПа" : "кПа"));
        cbGHVunits->setCurrentIndex(index);
    }
    SetChangeButtons(true);
}

void TFrameTune::cbGHVunitsFromZKVClick() {
    const bool automatic = cbGHVunitsFromZKV->isChecked();
    cbGHVunits->setEnabled(!automatic);
    SetChangeButtons(true);
    if (Hooks.referenceFromInstrument) Hooks.referenceFromInstrument(automatic);
}

void TFrameTune::RadioButton1Click() { SetChangeButtons(true); }

void TFrameTune::SelectSerialOfText(const QString& text) {
    const int index = cbZavNo->findText(text, Qt::MatchFixedString);
    if (index == cbZavNo->currentIndex()) return;
    QLineEdit* edit = cbZavNo->lineEdit();
    const int cursor = edit->cursorPosition();
    const QSignalBlocker quiet(cbZavNo);
    cbZavNo->setCurrentIndex(index);
    // Selecting puts the item's own spelling (or nothing) in the edit; the text stays as set.
    if (edit->text() != text) {
        edit->setText(text);
        edit->setCursorPosition(cursor);
    }
}

void TFrameTune::sg_MPKeyPress() { BitBtn_Apply->setEnabled(true); }

void TFrameTune::Btn_Show_MPClick() {
    pn_MP->raise();
    pn_MP->show();
}

void TFrameTune::Bnt_Hide_pn_MPClick() { pn_MP->hide(); }

bool TFrameTune::eventFilter(QObject* watched, QEvent* event) {
    auto* combo = qobject_cast<QComboBox*>(watched);
    if (event->type() == QEvent::FocusOut && combo) {
        // The combo is left only for another control of this window: not for its own list, nor
        // for a dialog or another window, after which the focus comes back to it.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) ComboBoxModel_1Exit(combo);
        return false;
    }
    if (event->type() == QEvent::FocusOut && watched == Grid_Tune) {
        Grid_TuneExit();
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    if (combo && combo != ComboUnits && combo != ComboOutDiap && combo != ComboFunc)
        return ComboBoxModel_1KeyDown(combo, static_cast<QKeyEvent*>(event)->key());
    if (watched == sg_MP) sg_MPKeyPress();
    return false;
}
