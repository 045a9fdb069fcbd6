// The settings page's controls and their wiring; its exchanges are in settings_exchange.cpp.
#include "app/settings/frame_settings.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <chrono>

#include "app/controls/control_rules.h"
#include "app/controls/key_filter.h"
#include "app/model/pressure_units.h"
#include "platform/class_library/components.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/system/clock.h"

namespace {

constexpr int kFactoryNumberLength = 8;
constexpr int kUnitListSize = 24;

// The sensor unit list spells two names with a Latin c; only its index is used.
const char* const kSensorUnitItems[] = {"Па", "кПа", "МПа", "кгc/см2", "кгc/м2", "мм.рт.ст.", "бар", "psi"};

QStringList Texts(std::initializer_list<const char*> items) {
    QStringList list;
    for (const char* item : items) list << U(item);
    return list;
}

template <std::size_t N>
QStringList Texts(const char* const (&items)[N]) {
    QStringList list;
    for (const char* item : items) list << U(item);
    return list;
}

// The units the instrument names, in the order of their codes.
QStringList InstrumentUnitTexts() {
    QStringList list;
    for (int code = 0; code < kUnitListSize; ++code) {
        const QString unit = InstrumentUnitText(code);
        if (!unit.isEmpty()) list << unit;
    }
    return list;
}

QSpinBox* Spin(QWidget* parent, const char* name, int min, int max) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setRange(min, max);
    return spin;
}

QComboBox* List(QWidget* parent, const char* name, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    return combo;
}

QLineEdit* Edit(QWidget* parent, const char* name, int maxLength = 0) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    return edit;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint = nullptr) {
    auto* button = new QPushButton(U(caption), parent);
    button->setObjectName(name);
    if (hint) button->setToolTip(U(hint));
    return button;
}

// One labelled row of a grid.
QLabel* Row(QGridLayout* grid, int row, const char* caption, QWidget* control) {
    auto* label = new QLabel(U(caption), grid->parentWidget());
    grid->addWidget(label, row, 0);
    grid->addWidget(control, row, 1);
    return label;
}

}  // namespace

TFrameZKV_Settings::TFrameZKV_Settings(QWidget* parent) : QWidget(parent), Conf(DefaultDeviceSettings()) {
    setObjectName("FrameZKV_Settings1");
    platform::MarkAsOwner(this);
    BuildSettings();
    BuildFactoryNumber();
    BuildClock();
    BuildZeroSetting();

    auto* right = new QVBoxLayout;
    right->addWidget(GroupBox8);
    right->addWidget(GroupBoxZavNo);
    right->addWidget(GroupBoxSetZerro);
    right->addStretch();
    auto* page = new QHBoxLayout(this);
    page->addWidget(GroupConfig);
    page->addLayout(right);
    page->addStretch();
    ConnectHandlers();
    shown_ = ReadForm();
}

void TFrameZKV_Settings::BuildSettings() {
    GroupConfig = new QGroupBox(this);
    GroupConfig->setObjectName("GroupConfig");
    auto* grid = new QGridLayout(GroupConfig);
    QWidget* box = GroupConfig;

    cfgYear = Spin(box, "cfgYear", 0, 99);
    cfgApprox = Spin(box, "cfgApprox", 1, 20);
    cfgDigits = Spin(box, "cfgDigits", 0, 4);
    const QStringList offOn = Texts({"выкл.", "вкл."});
    cfgU_24_36_V = List(box, "cfgU_24_36_V", Texts({"24 В", "36 В"}));
    cfgRelayTest = List(box, "cfgRelayTest", offOn);
    cfgZummer = List(box, "cfgZummer", offOn);
    cfgAutoOff = List(box, "cfgAutoOff", offOn);
    cfgEtlPDunit = List(box, "cfgEtlPDunit", Texts({"кПа", "МПа"}));
    cfgEtlPD_30_unit = List(box, "cfgEtlPD_30_unit", InstrumentUnitTexts());
    cfgDevPDunits = List(box, "cfgDevPDunits", Texts(kSensorUnitItems));
    cfg_I_range = List(box, "cfg_I_range", Texts({"0-5 мА", "4-20 мА"}));
    cfgHiP = Edit(box, "cfgHiP");
    cfgLoP = Edit(box, "cfgLoP");
    ebHiEtl = Edit(box, "ebHiEtl");
    ebLowEtl = Edit(box, "ebLowEtl");
    cfgNo_1 = Edit(box, "cfgNo_1", kFactoryNumberLength);
    cfgNo_2 = Edit(box, "cfgNo_2");
    cfgNo_3 = Edit(box, "cfgNo_3", kFactoryNumberLength);
    cfgNo_4 = Edit(box, "cfgNo_4", kFactoryNumberLength);

    // As the form is loaded the instrument's own unit list stands where the record's one would.
    cfgEtlPD_30_unit->setEnabled(false);
    cfgEtlPDunit->hide();
    KeepPlaceWhenHidden(cfgEtlPDunit);
    KeepPlaceWhenHidden(cfgEtlPD_30_unit);

    int row = 0;
    LabelYear = Row(grid, row++, "Год:", cfgYear);
    LabelYear->hide();
    cfgYear->hide();
    Row(grid, row++, "Количество усреднений:", cfgApprox);
    Row(grid, row++, "Количество знаков :", cfgDigits);
    Row(grid, row++, "Напряжение 24/36 В :", cfgU_24_36_V);
    Row(grid, row++, "Тест реле:", cfgRelayTest);
    Row(grid, row++, "Зуммер:", cfgZummer);
    Row(grid, row++, "Автовыключение:", cfgAutoOff);
    Row(grid, row, "Единица эталонного ПД:", cfgEtlPDunit);
    grid->addWidget(cfgEtlPD_30_unit, row++, 1);
    Row(grid, row++, "Единица поверяемого ПД:", cfgDevPDunits);
    Row(grid, row++, "Тип токового выхода:", cfg_I_range);
    Row(grid, row++, "Верхний предел преобр. давления, кПа:", cfgHiP);
    Row(grid, row++, "Нижний предел преобр. давления, кПа:", cfgLoP);
    Row(grid, row++, "Верхний предел диап. эталонного ПД", ebHiEtl);
    Row(grid, row++, "Нижний предел диап. эталонного ПД", ebLowEtl);
    Row(grid, row++, "Зав. № поверяемого датчика по каналу 1:", cfgNo_1);
    Row(grid, row++, "Зав. № поверяемого датчика по каналу 2:", cfgNo_2);
    Row(grid, row++, "Зав. № поверяемого датчика по каналу 3:", cfgNo_3);
    Row(grid, row++, "Зав. № поверяемого датчика по каналу 4:", cfgNo_4);

    UnitStr = new QListWidget(box);
    UnitStr->setObjectName("UnitStr");
    for (int code = 0; code < kUnitListSize; ++code) {
        const QString unit = InstrumentUnitText(code);
        UnitStr->addItem(unit.isEmpty() ? QStringLiteral("--") : unit);
    }
    UnitStr->hide();

    ReadConf = Button(box, "ReadConf", "   Считать");
    WriteConf = Button(box, "WriteConf", "   Записать");
    DefaultConf = Button(box, "DefaultConf", "По умолчанию");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ReadConf);
    buttons->addWidget(WriteConf);
    buttons->addWidget(DefaultConf);
    grid->addLayout(buttons, row, 0, 1, 2);
}

void TFrameZKV_Settings::BuildFactoryNumber() {
    GroupBoxZavNo = new QGroupBox(U("Заводской № ЗКВ :"), this);
    GroupBoxZavNo->setObjectName("GroupBoxZavNo");
    ebZavNo = Edit(GroupBoxZavNo, "ebZavNo", kFactoryNumberLength);
    BitBtn1 = Button(GroupBoxZavNo, "BitBtn1", "   Считать");
    BtnSetZavNo = Button(GroupBoxZavNo, "BtnSetZavNo", "Записать");
    auto* row = new QHBoxLayout(GroupBoxZavNo);
    row->addWidget(ebZavNo);
    row->addWidget(BitBtn1);
    row->addWidget(BtnSetZavNo);
    GroupBoxZavNo->hide();
}

void TFrameZKV_Settings::BuildClock() {
    GroupBox8 = new QGroupBox(U("Дата и время"), this);
    GroupBox8->setObjectName("GroupBox8");
    DatePicker = new QDateEdit(GroupBox8);
    DatePicker->setObjectName("DatePicker");
    DatePicker->setCalendarPopup(true);
    // The long date of the Russian Windows locale: "31 декабря 2025 г."
    DatePicker->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    DatePicker->setDisplayFormat(QStringLiteral("d MMMM yyyy 'г.'"));
    TimePicker = new QTimeEdit(GroupBox8);
    TimePicker->setObjectName("TimePicker");
    TimePicker->setDisplayFormat("H:mm:ss");
    // Like the class library's pickers, they start at the moment the page is made.
    const QDateTime now = LocalNow();
    DatePicker->setDate(now.date());
    TimePicker->setTime(now.time());
    ReadDT = Button(GroupBox8, "ReadDT", "Считать из прибора  ", "Считать из прибора его дату и время");
    WriteDT =
        Button(GroupBox8, "WriteDT", "   Записать в прибор", "Записать в прибор выбранные дату и время");
    WriteSystemDT = Button(GroupBox8, "WriteSystemDT", "Записать в прибор дату и время ПК",
                           "Записать текущие значения даты и времени, установленных в Вашей системе");
    // Room for the two-line caption the main window gives it.
    WriteSystemDT->setMinimumHeight(2 * WriteSystemDT->fontMetrics().lineSpacing() + 12);
    auto* grid = new QGridLayout(GroupBox8);
    grid->addWidget(DatePicker, 0, 0);
    grid->addWidget(TimePicker, 0, 1);
    grid->addWidget(ReadDT, 1, 0);
    grid->addWidget(WriteDT, 1, 1);
    grid->addWidget(WriteSystemDT, 2, 0, 1, 2);
}

void TFrameZKV_Settings::BuildZeroSetting() {
    GroupBoxSetZerro = new QGroupBox(U("Установка 'нуля' для ГХВ УЛМ-63 "), this);
    GroupBoxSetZerro->setObjectName("GroupBoxSetZerro");
    Btn_SetZero = Button(GroupBoxSetZerro, "Btn_SetZero", "Установить '0'");
    auto* row = new QHBoxLayout(GroupBoxSetZerro);
    row->addWidget(Btn_SetZero);
    GroupBoxSetZerro->hide();
    KeepPlaceWhenHidden(GroupBoxSetZerro);
}

void TFrameZKV_Settings::ConnectHandlers() {
    connect(ReadConf, &QPushButton::clicked, this, [this] { ReadConfClick(ReadConf); });
    connect(WriteConf, &QPushButton::clicked, this, [this] { WriteConfClick(WriteConf); });
    connect(DefaultConf, &QPushButton::clicked, this, [this] { DefaultConfClick(DefaultConf); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    connect(BtnSetZavNo, &QPushButton::clicked, this, [this] { BtnSetZavNoClick(BtnSetZavNo); });
    connect(ReadDT, &QPushButton::clicked, this, [this] { ReadDTClick(ReadDT); });
    connect(WriteDT, &QPushButton::clicked, this, [this] { WriteDTClick(WriteDT); });
    connect(WriteSystemDT, &QPushButton::clicked, this, [this] { WriteSystemDTClick(WriteSystemDT); });
    connect(Btn_SetZero, &QPushButton::clicked, this, [this] { Btn_SetZeroClick(Btn_SetZero); });
    for (QLineEdit* edit : {cfgHiP, cfgLoP, ebLowEtl, ebHiEtl}) InstallKeyFilter(edit, &cfgHiPKeyPress);
    for (QLineEdit* edit : {cfgNo_1, cfgNo_2, cfgNo_3, cfgNo_4, ebZavNo})
        InstallKeyFilter(edit, &cfgNo_1KeyPress);
}

QDateTime TFrameZKV_Settings::LocalNow() {
    const auto now = platform::WallClockNow();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    return QDateTime::fromMSecsSinceEpoch(ms);
}

char TFrameZKV_Settings::cfgHiPKeyPress(char key) { return FilterNumericKey(key); }

char TFrameZKV_Settings::cfgNo_1KeyPress(char key) { return FilterIntegerKey(key); }

QComboBox* TFrameZKV_Settings::ReferenceUnitCombo() const {
    return cfgEtlPD_30_unit->isHidden() ? cfgEtlPDunit : cfgEtlPD_30_unit;
}

void TFrameZKV_Settings::ShowReferenceType(bool type43) {
    ebLowEtl->setReadOnly(type43);
    ebHiEtl->setReadOnly(type43);
    cfgEtlPD_30_unit->setVisible(type43);
    cfgEtlPDunit->setVisible(!type43);
}

bool TFrameZKV_Settings::CheckRefTransducer(const QString& answer) {
    const bool zeroSetting = answer == QStringLiteral("43");
    GroupBoxSetZerro->setVisible(zeroSetting);
    return zeroSetting;
}

SettingsView TFrameZKV_Settings::ReadForm() const {
    SettingsView view;
    view.year = cfgYear->value();
    view.averaging = cfgApprox->value();
    view.digits = cfgDigits->value();
    view.supplyVoltage = cfgU_24_36_V->currentIndex();
    view.relayTest = cfgRelayTest->currentIndex();
    view.buzzer = cfgZummer->currentIndex();
    view.autoOff = cfgAutoOff->currentIndex();
    view.currentRange = cfg_I_range->currentIndex();
    view.refUnit = cfgEtlPDunit->currentIndex();
    view.sensorUnit = cfgDevPDunits->currentIndex();
    view.sensorHiP = cfgHiP->text();
    view.sensorLoP = cfgLoP->text();
    view.refHi = ebHiEtl->text();
    view.refLo = ebLowEtl->text();
    const std::array<QLineEdit*, 4> numbers = SensorNumberEdits();
    for (int i = 0; i < 4; ++i) view.sensorNo[i] = numbers[i]->text();
    return view;
}

std::array<QLineEdit*, 4> TFrameZKV_Settings::SensorNumberEdits() const { return {cfgNo_1, cfgNo_2, cfgNo_3, cfgNo_4}; }

QLineEdit* TFrameZKV_Settings::LimitEdit(SettingsLimit limit) const {
    switch (limit) {
        case SettingsLimit::SensorHiP:
            return cfgHiP;
        case SettingsLimit::SensorLoP:
            return cfgLoP;
        case SettingsLimit::RefHi:
            return ebHiEtl;
        case SettingsLimit::RefLo:
            return ebLowEtl;
    }
    return cfgHiP;
}

void TFrameZKV_Settings::LoadDefaultConf() {
    Conf = DefaultDeviceSettings();
    known_.set();
}

void TFrameZKV_Settings::ConfToForm() {
    const SettingsView view = ViewOfSettings(Conf);
    cfgYear->setValue(view.year);
    cfgApprox->setValue(view.averaging);
    cfgDigits->setValue(view.digits);
    cfgU_24_36_V->setCurrentIndex(view.supplyVoltage);
    cfgRelayTest->setCurrentIndex(view.relayTest);
    cfgZummer->setCurrentIndex(view.buzzer);
    cfgAutoOff->setCurrentIndex(view.autoOff);
    cfg_I_range->setCurrentIndex(view.currentRange);
    if (view.refUnit >= 0) cfgEtlPDunit->setCurrentIndex(view.refUnit);
    cfgDevPDunits->setCurrentIndex(view.sensorUnit);
    ebHiEtl->setText(view.refHi);
    ebLowEtl->setText(view.refLo);
    cfgHiP->setText(view.sensorHiP);
    cfgLoP->setText(view.sensorLoP);
    // A number not read from this instrument is shown only once it is.
    const std::array<QLineEdit*, 4> numbers = SensorNumberEdits();
    for (int i = 0; i < 4; ++i) {
        const SettingsByteSet bytes = SensorNoBytes(i);
        numbers[i]->setText((known_ & bytes) == bytes ? view.sensorNo[i] : QString());
    }
    // Read back: the spin edits keep to their ranges and the edits to their lengths.
    shown_ = ReadForm();
}

SettingsView TFrameZKV_Settings::FormAsTaken() const {
    SettingsView now = ReadForm();
    // Limits the user cannot type show the reference's own range, not the record's: the record
    // keeps its values.
    if (ebHiEtl->isReadOnly()) now.refHi = shown_.refHi;
    if (ebLowEtl->isReadOnly()) now.refLo = shown_.refLo;
    return now;
}

bool TFrameZKV_Settings::ConfFromForm() {
    const SettingsView now = FormAsTaken();
    const SettingsFromForm taken = SettingsFromView(Conf, shown_, now);
    if (!taken.record) {
        const std::array<QLineEdit*, 4> numbers = SensorNumberEdits();
        RefuseValues(taken.badSensorNo >= 0 ? numbers[taken.badSensorNo] : LimitEdit(taken.badLimit));
        return false;
    }
    Conf = *taken.record;
    known_ |= taken.taken;
    shown_ = now;
    return true;
}

void TFrameZKV_Settings::ShowSensorNumbers(const SettingsByteSet& knownBefore) {
    const SettingsView view = ViewOfSettings(Conf);
    const std::array<QLineEdit*, 4> numbers = SensorNumberEdits();
    for (int i = 0; i < 4; ++i) {
        const SettingsByteSet bytes = SensorNoBytes(i);
        if ((knownBefore & bytes) == bytes || (known_ & bytes) != bytes) continue;
        numbers[i]->setText(view.sensorNo[i]);
        shown_.sensorNo[i] = numbers[i]->text();
    }
}

void TFrameZKV_Settings::DefaultConfClick(QObject* sender) {
    LoadDefaultConf();
    // The defaults the window puts on the page at start are nobody's choice: a write before any
    // read must not give them to the instrument. Only a press of the button makes them the user's.
    if (sender == nullptr) known_.reset();
    ConfToForm();
}
