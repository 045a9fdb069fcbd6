#include "app/frame_meas.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/form_main.h"
#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "platform/components.h"

TFrameMeas::TFrameMeas(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameMeas1");
    platform::MarkAsOwner(this);

    BitBtn_Start = new QPushButton(QString::fromUtf8("  Старт"), this);
    BitBtn_Start->setObjectName("BitBtn_Start");
    BitBtn_Start->setToolTip(QString::fromUtf8("Запуск измерений"));
    BitBtn_Start->setDefault(true);
    BitBtn_Stop = new QPushButton(QString::fromUtf8("  Стоп"), this);
    BitBtn_Stop->setObjectName("BitBtn_Stop");
    BitBtn_Stop->setToolTip(QString::fromUtf8("Остановка измерений"));
    BitBtn_Stop->hide();
    BitBtn_Write = new QPushButton(QString::fromUtf8("Записать"), this);
    BitBtn_Write->setObjectName("BitBtn_Write");
    BitBtn_Write->setToolTip(QString::fromUtf8("Запись текущих значений в протокол"));
    BitBtn_Write->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn_Start);
    buttons->addWidget(BitBtn_Stop);
    buttons->addWidget(BitBtn_Write);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addStretch();

    connect(BitBtn_Start, &QPushButton::clicked, this, &TFrameMeas::BitBtn_StartClick);
    connect(BitBtn_Stop, &QPushButton::clicked, this, &TFrameMeas::BitBtn_StopClick);
}

void TFrameMeas::SetRecords(std::uint8_t* setupRecord, std::uint8_t* currentRow) {
    SetupRecord = setupRecord;
    CurrentRow = currentRow;
}

void TFrameMeas::BitBtn_StartClick() {
    BitBtn_Start->hide();
    BitBtn_Stop->show();
    BitBtn_Write->setEnabled(true);
    if (WorkState != WorkIdle) return;  // another work runs: the page only looks started
    WorkState = WorkMeasurement;
    PostWorkEvent(EvStart);
    if (FormMain) FormMain->ShowWorkName(8);
}

void TFrameMeas::BitBtn_StopClick() {
    PostWorkEvent(EvStop);
    BitBtn_Start->show();
    BitBtn_Stop->hide();
    BitBtn_Write->setEnabled(false);
    MeasWasRunning = false;
    FResuming = false;
}

void TFrameMeas::RefreshChannelRows() {}
