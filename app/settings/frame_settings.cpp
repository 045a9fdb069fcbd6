#include "app/settings/frame_settings.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
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
    cfgEtlPD_30_unit = new QComboBox(this);
    cfgEtlPD_30_unit->setObjectName("cfgEtlPD_30_unit");
    for (const char* unit : {"Па", "кПа", "МПа", "кгс/см2", "кгс/м2", "мм.рт.ст.", "бар", "psi"})
        cfgEtlPD_30_unit->addItem(QString::fromUtf8(unit));
    cfgEtlPD_30_unit->setEnabled(false);
    cfgEtlPDunit = new QComboBox(this);
    cfgEtlPDunit->setObjectName("cfgEtlPDunit");
    cfgEtlPDunit->addItems({QString::fromUtf8("кПа"), QString::fromUtf8("МПа")});
    cfgEtlPDunit->hide();
    UnitStr = new QListWidget(this);
    UnitStr->setObjectName("UnitStr");
    for (int code = 0; code < 24; ++code) UnitStr->addItem(QStringLiteral("--"));
    const char* unitNames[] = {"Па", "кПа", "МПа", "кгс/см2", "кгс/м2", "мм.рт.ст.", "бар", "psi"};
    for (int code = 5; code <= 12; ++code) UnitStr->item(code)->setText(QString::fromUtf8(unitNames[code - 5]));
    UnitStr->hide();
    ebLowEtl = new QLineEdit(this);
    ebLowEtl->setObjectName("ebLowEtl");
    ebHiEtl = new QLineEdit(this);
    ebHiEtl->setObjectName("ebHiEtl");
    GroupBoxSetZerro = new QGroupBox(QString::fromUtf8("Установка 'нуля' для ГХВ УЛМ-63 "), this);
    GroupBoxSetZerro->setObjectName("GroupBoxSetZerro");
    GroupBoxSetZerro->hide();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBoxZavNo);
    layout->addWidget(WriteSystemDT, 0, Qt::AlignLeft);
    layout->addWidget(cfgEtlPD_30_unit, 0, Qt::AlignLeft);
    layout->addWidget(cfgEtlPDunit, 0, Qt::AlignLeft);
    layout->addWidget(ebLowEtl, 0, Qt::AlignLeft);
    layout->addWidget(ebHiEtl, 0, Qt::AlignLeft);
    layout->addWidget(GroupBoxSetZerro);
    layout->addStretch();
}

void TFrameZKV_Settings::DefaultConfClick(QObject*) {}

void TFrameZKV_Settings::RxSetings(const char*) { FRxStage = 0; }

QComboBox* TFrameZKV_Settings::ReferenceUnitCombo() const {
    return cfgEtlPD_30_unit->isHidden() ? cfgEtlPDunit : cfgEtlPD_30_unit;
}

bool TFrameZKV_Settings::CheckRefTransducer(const QString& answer) {
    const bool zeroSetting = answer == QStringLiteral("43");
    GroupBoxSetZerro->setVisible(zeroSetting);
    return zeroSetting;
}
