#include "app/archive/frame_archive.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/components.h"
#include "platform/utf8_literal.h"

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* button = new QPushButton(U(caption), parent);
    button->setObjectName(name);
    if (hint) button->setToolTip(U(hint));
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
    ListViewArchiv1 = new QTreeWidget(this);
    ListViewArchiv1->setObjectName("ListViewArchiv1");
    ListViewArchiv1->setColumnCount(17);
    ListViewArchiv1->setRootIsDecorated(false);
    ListViewArchiv1->setUniformRowHeights(true);
    lbMsg = new QListWidget(this);
    lbMsg->setObjectName("lbMsg");
    lbMsg->addItems({U("Продолжить чтение с записи "),
                     U("Все данные архива будут уничтожены!    Продолжить ?")});
    lbMsg->hide();

    auto* buttons = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(ReadArchive), static_cast<QWidget*>(StopArchiveReading),
                       static_cast<QWidget*>(ClearArchive), static_cast<QWidget*>(StopArchiveClearing),
                       static_cast<QWidget*>(ArchiveProcess)})
        buttons->addWidget(w);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(ListViewArchiv1, 1);

    connect(ReadArchive, &QPushButton::clicked, this, [this] { ReadArchiveClick(ReadArchive); });
    connect(ClearArchive, &QPushButton::clicked, this, [this] { ClearArchiveClick(ClearArchive); });
    connect(StopArchiveReading, &QPushButton::clicked, this, [this] { StopArchiveReadingClick(StopArchiveReading); });
    connect(StopArchiveClearing, &QPushButton::clicked, this,
            [this] { StopArchiveClearingClick(StopArchiveClearing); });
}

int TFrameArchiv::ImportArchiveFile(const QString&) { return -1; }
