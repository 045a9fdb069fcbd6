#include "app/frame_settings.h"

#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/components.h"

TFrameZKV_Settings::TFrameZKV_Settings(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameZKV_Settings1");
    platform::MarkAsOwner(this);
    GroupBoxZavNo = new QGroupBox(this);
    GroupBoxZavNo->setObjectName("GroupBoxZavNo");
    GroupBoxZavNo->hide();
    WriteSystemDT = new QPushButton(this);
    WriteSystemDT->setObjectName("WriteSystemDT");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBoxZavNo);
    layout->addWidget(WriteSystemDT, 0, Qt::AlignLeft);
    layout->addStretch();
}

void TFrameZKV_Settings::DefaultConfClick(QObject*) {}

void TFrameZKV_Settings::RxSetings(const char*) { FRxStage = 0; }
