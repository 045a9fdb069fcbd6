#include "app/calibration/form_grad.h"

#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/controls/key_filter.h"
#include "link/exchange_state.h"
#include "platform/class_library/components.h"
#include "platform/class_library/utf8_literal.h"

TFormGrad* FormGrad = nullptr;

namespace {

constexpr int kEditMaxLength = 20;

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint = nullptr) {
    auto* button = new QPushButton(U(caption), parent);
    button->setObjectName(name);
    if (hint) button->setToolTip(U(hint));
    return button;
}

QLabel* Label(QWidget* parent, const char* caption) { return new QLabel(U(caption), parent); }

}  // namespace

TFrameZKV_Grad::TFrameZKV_Grad(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameZKV_Grad1");
    platform::MarkAsOwner(this);
    auto* group = new QGroupBox(this);
    GradModes = new QTabWidget(group);
    GradModes->setObjectName("GradModes");
    GradModes->setDocumentMode(true);
    CEmulation = new QWidget;
    CEmulation->setObjectName("CEmulation");
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    GradModes->addTab(CEmulation, U("   Эмуляция   "));
    GradModes->addTab(TabSheet1, U("Измерение"));
    BuildEmulationPage();
    BuildMeasurementPage();

    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(GradModes);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);
}

TFrameZKV_Grad::~TFrameZKV_Grad() {
    // The engine must never hand an answer to an edit that is gone.
    for (const QObject* edit : {static_cast<QObject*>(CECorrFactor), static_cast<QObject*>(CalibFactor),
                                static_cast<QObject*>(CMMeasuredValue)}) {
        if (Requester == edit) Requester = nullptr;
    }
}

QLineEdit* TFrameZKV_Grad::ValueEdit(QWidget* parent, const char* name, const char* hint) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(kEditMaxLength);
    if (hint) edit->setToolTip(U(hint));
    InstallKeyFilter(edit, [this](char key) { return CMSampleValueKeyPress(key); });
    return edit;
}

void TFrameZKV_Grad::BuildEmulationPage() {
    QWidget* page = CEmulation;
    constexpr const char* kScreenHint = "Введите значение с экрана прибора";
    CESetMin = Button(page, "CESetMin", "   Установить минимальное значение",
                      "Установить режим эмуляции минимального значения");
    CEMinValue = ValueEdit(page, "CEMinValue", kScreenHint);
    CEWriteMin = Button(page, "CEWriteMin", "   Записать");
    CESetMax = Button(page, "CESetMax", "   Установить максимальное значение",
                      "Установить режим эмуляции максимального значения");
    CEMaxValue = ValueEdit(page, "CEMaxValue", kScreenHint);
    CEWriteMax = Button(page, "CEWriteMax", "   Записать");
    CESet_I = Button(page, "CESet_I", "           Установить значение тока  (мА)", "Установить режим эмуляции тока (мА)");
    I_Emul = ValueEdit(page, "I_Emul", nullptr);
    // Installed after the key filter, so it sees Enter before the filter drops it.
    I_Emul->installEventFilter(this);
    CECorrFactor = ValueEdit(page, "CECorrFactor", nullptr);
    BitBtn1 = Button(page, "BitBtn1", "   Считать");
    CEWriteCF = Button(page, "CEWriteCF", "   Записать");

    auto* grid = new QGridLayout(page);
    grid->addWidget(CESetMin, 0, 0);
    grid->addWidget(CEMinValue, 0, 1);
    grid->addWidget(CEWriteMin, 0, 2);
    grid->addWidget(CESetMax, 1, 0);
    grid->addWidget(CEMaxValue, 1, 1);
    grid->addWidget(CEWriteMax, 1, 2);
    grid->addWidget(CESet_I, 2, 0);
    grid->addWidget(I_Emul, 2, 1);
    grid->addWidget(Label(page, "Смещение тока (мА)"), 3, 0, Qt::AlignRight);
    grid->addWidget(CECorrFactor, 3, 1);
    grid->addWidget(BitBtn1, 3, 2);
    grid->addWidget(CEWriteCF, 3, 3);
    grid->setRowStretch(4, 1);

    connect(CESetMin, &QPushButton::clicked, this, &TFrameZKV_Grad::CESetMinClick);
    connect(CESetMax, &QPushButton::clicked, this, &TFrameZKV_Grad::CESetMaxClick);
    connect(CESet_I, &QPushButton::clicked, this, &TFrameZKV_Grad::CESet_IClick);
    connect(CEWriteMin, &QPushButton::clicked, this, &TFrameZKV_Grad::CEWriteMinClick);
    connect(CEWriteMax, &QPushButton::clicked, this, &TFrameZKV_Grad::CEWriteMaxClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TFrameZKV_Grad::BitBtn1Click);
    connect(CEWriteCF, &QPushButton::clicked, this, &TFrameZKV_Grad::CEWriteCFClick);
}

void TFrameZKV_Grad::BuildMeasurementPage() {
    QWidget* page = TabSheet1;
    CMeasurementTabs = new QTabBar(page);
    CMeasurementTabs->setObjectName("CMeasurementTabs");
    for (const char* tab : {"Канал 1", "Канал 2", "Канал 3", "Канал 4"}) CMeasurementTabs->addTab(U(tab));
    auto* channel = new QFrame(page);
    channel->setFrameShape(QFrame::StyledPanel);

    CMSampleValue = ValueEdit(channel, "CMSampleValue", "Введите истинное значение измеряемой величины");
    CMMeasuredValue = ValueEdit(channel, "CMMeasuredValue", "Введите значение, измеренное ");
    CMMeasuredValue->setReadOnly(true);
    CalibFactor = ValueEdit(channel, "CalibFactor", nullptr);
    CalibFactor->setReadOnly(true);
    CMCalibFactor =
        ValueEdit(channel, "CMCalibFactor", "Новый калибровочный коэффициент (вычисляется автоматически)");
    CMRead = Button(channel, "CMRead", "   Считать",
                    "Получить измеренное прибором значение тока и текущий калибровочный коэффициент прибора");
    CMWrite = Button(channel, "CMWrite", "   Записать", "Запись в прибор");

    auto* grid = new QGridLayout(channel);
    grid->addWidget(Label(channel, "Образцовое значение тока :"), 0, 0, Qt::AlignRight);
    grid->addWidget(CMSampleValue, 0, 1);
    grid->addWidget(Label(channel, "мА"), 0, 2);
    grid->addWidget(Label(channel, "Измеренное значение тока :"), 1, 0, Qt::AlignRight);
    grid->addWidget(CMMeasuredValue, 1, 1);
    grid->addWidget(Label(channel, "мА"), 1, 2);
    grid->addWidget(Label(channel, "Калибровочный коэффициент прибора :"), 2, 0, Qt::AlignRight);
    grid->addWidget(CalibFactor, 2, 1);
    grid->addWidget(Label(channel, "Вычисленный калибровочный коэффициент :"), 3, 0, Qt::AlignRight);
    grid->addWidget(CMCalibFactor, 3, 1);
    grid->addWidget(CMRead, 4, 1);
    grid->addWidget(CMWrite, 4, 2);

    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(0);
    layout->addWidget(CMeasurementTabs);
    layout->addWidget(channel, 1);

    connect(CMRead, &QPushButton::clicked, this, &TFrameZKV_Grad::CMReadClick);
    connect(CMWrite, &QPushButton::clicked, this, &TFrameZKV_Grad::CMWriteClick);
    connect(CMSampleValue, &QLineEdit::textChanged, this, &TFrameZKV_Grad::CMSampleValueChange);
    connect(CMMeasuredValue, &QLineEdit::textChanged, this, &TFrameZKV_Grad::CMSampleValueChange);
    connect(CMeasurementTabs, &QTabBar::currentChanged, this, &TFrameZKV_Grad::CMeasurementTabsChange);
}

bool TFrameZKV_Grad::eventFilter(QObject* watched, QEvent* event) {
    if (watched == I_Emul && event->type() == QEvent::KeyPress) I_EmulKeyDown(static_cast<QKeyEvent*>(event)->key());
    return false;
}

TFormGrad::TFormGrad(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("FormGrad");
    platform::MarkAsOwner(this);
    setWindowTitle(U("Градуировка"));
    resize(779, 362);
    FrameZKV_Grad1 = new TFrameZKV_Grad(this);
    BitBtn1 = new QPushButton(U("Закрыть"), this);
    BitBtn1->setObjectName("BitBtn1");
    QFont bold = BitBtn1->font();
    bold.setBold(true);
    BitBtn1->setFont(bold);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FrameZKV_Grad1, 0, Qt::AlignTop | Qt::AlignLeft);
    layout->addStretch(1);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormGrad::BitBtn1Click);
    if (FormGrad == nullptr) FormGrad = this;
}

TFormGrad::~TFormGrad() {
    if (FormGrad == this) FormGrad = nullptr;
}

void TFormGrad::BitBtn1Click() { close(); }
