#include "app/calibration/form_grad.h"

#include <QFont>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/components.h"

TFormGrad* FormGrad = nullptr;

TFrameZKV_Grad::TFrameZKV_Grad(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameZKV_Grad1");
    platform::MarkAsOwner(this);
    GradModes = new QTabWidget(this);
    GradModes->setObjectName("GradModes");
    GradModes->setDocumentMode(true);
    CEmulation = new QWidget;
    CEmulation->setObjectName("CEmulation");
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName("TabSheet1");
    GradModes->addTab(CEmulation, QString::fromUtf8("   Эмуляция   "));
    GradModes->addTab(TabSheet1, QString::fromUtf8("Измерение"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(GradModes);
}

TFormGrad::TFormGrad(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("FormGrad");
    platform::MarkAsOwner(this);
    setWindowTitle(QString::fromUtf8("Градуировка"));
    resize(779, 362);
    FrameZKV_Grad1 = new TFrameZKV_Grad(this);
    BitBtn1 = new QPushButton(QString::fromUtf8("Закрыть"), this);
    BitBtn1->setObjectName("BitBtn1");
    QFont bold = BitBtn1->font();
    bold.setBold(true);
    BitBtn1->setFont(bold);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FrameZKV_Grad1);
    layout->addWidget(BitBtn1, 0, Qt::AlignRight);
    connect(BitBtn1, &QPushButton::clicked, this, &QWidget::close);
    if (FormGrad == nullptr) FormGrad = this;
}

TFormGrad::~TFormGrad() {
    if (FormGrad == this) FormGrad = nullptr;
}
