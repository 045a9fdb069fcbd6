#include "app/frame_tune.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/components.h"

TFrameTune::TFrameTune(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameTune1");
    platform::MarkAsOwner(this);
    BitBtn_Apply = new QPushButton(QString::fromUtf8("Применить"), this);
    BitBtn_Apply->setObjectName("BitBtn_Apply");
    BitBtn_Apply->setEnabled(false);
    BitBtn_Undo = new QPushButton(this);
    BitBtn_Undo->setObjectName("BitBtn_Undo");
    BitBtn_Undo->setEnabled(false);
    edZavNoZKV = new QLineEdit(this);
    edZavNoZKV->setObjectName("edZavNoZKV");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn_Apply);
    buttons->addWidget(BitBtn_Undo);
    buttons->addWidget(edZavNoZKV);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addStretch();
    connect(BitBtn_Apply, &QPushButton::clicked, this, [this] { BitBtn_ApplyClick(BitBtn_Apply); });
}

void TFrameTune::BitBtn_ApplyClick(QObject*) {}
