// The main window hands each page the few things it reaches on the others.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>

#include "app/archive/frame_archive.h"
#include "app/calibration/form_grad.h"
#include "app/measurement/frame_meas.h"
#include "app/results/frame_result.h"
#include "app/settings/frame_settings.h"
#include "app/setup/frame_tune.h"
#include "app/window/form_main.h"
#include "link/find_device_frame.h"
#include "link/my_comm.h"

void TFormMain::WirePageHooks() {
    // The link check hands what it reads to the settings and set-up pages.
    FrameFindDevice->Hooks = {
        .setSettingsStage = [this](int stage) { FrameZKV_Settings1->SetRxStage(stage); },
        .settingsStage = [this] { return FrameZKV_Settings1->FRxStage; },
        .rxSettings = [this](const char* answer) { FrameZKV_Settings1->RxSetings(answer); },
        .setFactoryNumber = [this](const QString& text) { FrameTune1->edZavNoZKV->setText(text); },
        .showWorkName = [this](int index) { ShowWorkName(index); },
    };

    FrameArchiv1->Hooks = {.showWorkName = [this](int index) { ShowWorkName(index); }};

    FrameTune1->Hooks = {
        .isCurrentPage = [this] { return Pages->currentWidget() == Measurement; },
        .instrumentReferenceUnit = [this] { return FrameZKV_Settings1->ReferenceUnitCombo()->currentText(); },
        .showReferenceUnits = [this](const QString& units) { FrameMeas1->Label_UnitsGHV->setText(units); },
        .referenceFromInstrument = [this](bool automatic) { FrameMeas1->ReferenceFromInstrument(automatic); },
    };

    TFrameZKV_Settings* settings = FrameZKV_Settings1;
    settings->Hooks = {
        .showWorkName = [this](int index) { ShowWorkName(index); },
        .message = [this](int index) {
            const QListWidgetItem* item = uMsg->item(index);
            return item ? item->text() : QString();
        },
    };
    FrameMeas1->Hooks = {
        .port = [this] { return Comm.get(); },
        .showWorkName = [this](int index) { ShowWorkName(index); },
        .referenceClassIndex = [this] { return FrameTune1->cbGHV_class->currentIndex(); },
        .referenceUnitsFromInstrument = [this] { return FrameTune1->cbGHVunitsFromZKV->isChecked(); },
        // "Записать" applies the set-up again before its results rows.
        .resultRows = {
            .tuneFromForm = [this] { return FrameTune1->TuneForRecording(SetupRecord) == 0; },
            .addResultPoint = [this](int channel, float error, float measured, float reference, int protocolRow) {
                Frame_Results1->AddResultPoint(channel, error, measured, reference, protocolRow);
            },
        },
        .showReferenceType = [settings](const QString& answer) {
            const bool zeroSetting = settings->CheckRefTransducer(answer);
            settings->ShowReferenceType(zeroSetting);
            return zeroSetting;
        },
        .selectSettingsUnit = [settings](int code) {
            settings->UnitStr->setCurrentRow(code);
            settings->cfgEtlPDunit->setCurrentIndex(code - 6);
            return settings->cfgEtlPDunit->currentText();
        },
        .selectReferenceUnit = [settings](int code) {
            settings->UnitStr->setCurrentRow(code);
            settings->cfgEtlPD_30_unit->setCurrentIndex(code - 5);
            return settings->cfgEtlPD_30_unit->currentText();
        },
        .referenceInMPa = [settings] {
            return settings->cfgEtlPD_30_unit->isHidden() && settings->cfgEtlPDunit->currentIndex() == 1;
        },
    };

    // Clearing the results and removing a point edit the measurement page's protocol; the
    // protocols take their method documents from the set-up page.
    Frame_Results1->Hooks = {
        .protocol = [this] { return MeasProtocolRef{FrameMeas1->MeasProtocol.data(), &FrameMeas1->MeasCount}; },
        .methodDocument = [this](const QString& name) { return FrameTune1->FindMethodDocument(name); },
    };
}

void TFormMain::WireCalibrationWindow() {
    if (!FormGrad) return;
    FormGrad->FrameZKV_Grad1->Hooks = {
        .port = [this] { return Comm.get(); },
        .showWorkName = [this](int index) { ShowWorkName(index); },
    };
}
