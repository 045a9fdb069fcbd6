#include "app/archive/frame_archive.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "platform/components.h"

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    if (hint) button->setToolTip(QString::fromUtf8(hint));
    return button;
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

    auto* buttons = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(ReadArchive), static_cast<QWidget*>(StopArchiveReading),
                       static_cast<QWidget*>(ClearArchive), static_cast<QWidget*>(StopArchiveClearing),
                       static_cast<QWidget*>(ArchiveProcess)})
        buttons->addWidget(w);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addStretch();

    connect(StopArchiveReading, &QPushButton::clicked, this, [this] { StopArchiveReadingClick(StopArchiveReading); });
    connect(StopArchiveClearing, &QPushButton::clicked, this,
            [this] { StopArchiveClearingClick(StopArchiveClearing); });
}

void TFrameArchiv::StopArchiveReadingClick(QObject*) {
    ArchiveProcess->hide();
    ReadArchive->show();
    StopArchiveReading->hide();
    EndExchange();
    TimeoutTicks = -1;
}

void TFrameArchiv::StopArchiveClearingClick(QObject*) {
    ArchiveProcess->hide();
    ArchiveProcess->setValue(0);
    ClearArchive->show();
    StopArchiveClearing->hide();
    EndExchange();
    FArchOffset = 0;
}

int TFrameArchiv::ImportArchiveFile(const QString&) { return -1; }
