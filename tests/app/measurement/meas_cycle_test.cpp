#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/measurement/frame_meas.h"
#include "app/model/current_row.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "app/settings/frame_settings.h"
#include "app/setup/frame_tune.h"
#include "link/my_comm.h"
#include "link/protocol.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/app/simulator_window_fixture.h"

namespace {

float BlockFloat(const std::uint8_t* row, int k, std::size_t field) { return ReadFloat32(row, MeasBlockOffset(k) + field); }

// A verification of three transducers, measured against the simulated instrument:
// channel 1: 0..100 kPa, 4-20 mA, linear; channel 2: 0..1 MPa, 4-20 mA; channel 3: 0..100 kPa
// without current output (the pressure is typed into its row); channel 4: none.
class MeasurementCycle : public WindowOnSimulator {
protected:
    void SetUp() override {
        WindowOnSimulator::SetUp();
        meas = window->FrameMeas1;
        tune = window->FrameTune1;
        tune->Edit1->setText("20");
        tune->Edit2->setText("50");
        tune->Edit3->setText("750");
        tune->cbGHVunits->setCurrentIndex(1);
        tune->Edit_Kf_Fault->setText("1");
        setRow(1, {"УЛМ-41", "m", "s", "0", "100", "  кПа", "4 - 20 мА", "линейная", "0.5"});
        setRow(2, {"УЛМ-63", "m", "s", "0", "1", "  МПа", "4 - 20 мА", "линейная", "0.5"});
        setRow(3, {"ДРК-8", "m", "s", "0", "100", "  кПа", "- нет -", "", "0.5"});
        setRow(4, {"нет"});
        ASSERT_EQ(tune->TuneFromForm(window->SetupRecord), 0);
        for (int channel = 1; channel <= 3; ++channel) tick(channel, true);
        meas->lv_Meas->topLevelItem(2)->setText(6, "12.5");

        instrument.setSource(1, 50.0);          // kPa
        instrument.setSource(5, 12.0);          // channel 1: half its span
        instrument.setSource(6, 4.0 + 1.616);   // channel 2: 0.101 MPa
        dialogs.shown.clear();
    }

    void setRow(int row, std::initializer_list<const char*> cells) {
        int column = 1;
        for (const char* cell : cells) tune->SetCellText(row, column++, U(cell));
    }
    void tick(int channel, bool on) {
        meas->lv_Meas->topLevelItem(channel - 1)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked);
    }
    // Runs the line until the sweep pauses or the run ends.
    bool runToPause() { return pumpUntil([] { return WorkStep == 36 || WorkState == WorkIdle; }); }
    const std::uint8_t* row() const { return window->CurrentRow; }

    TFrameMeas* meas = nullptr;
    TFrameTune* tune = nullptr;
};

TEST_F(MeasurementCycle, ASweepAsksInOrderAndStoresPressuresCurrentsAndErrors) {
    meas->BitBtn_StartClick();
    EXPECT_EQ(WorkState, WorkMeasurement);
    EXPECT_FALSE(meas->BitBtn_Write->isEnabled()) << "nothing measured in this run yet";
    ASSERT_TRUE(runToPause());
    EXPECT_EQ(instrument.requests(), (std::vector<std::string>{"1;10;259;0;1;", "1;10;262;0;1;", "1;1;1;", "1;1;5;",
                                                               "1;1;6;", "1;1;7;", "1;1;8;"}));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(BlockFloat(row(), 0, block::Pressure), 50.0f);
    EXPECT_EQ(BlockFloat(row(), 1, block::Pressure), 50.0f);
    EXPECT_EQ(BlockFloat(row(), 1, block::Current), 12.0f);
    EXPECT_EQ(BlockFloat(row(), 1, block::Error), 0.0f);
    EXPECT_NEAR(BlockFloat(row(), 2, block::Pressure), 0.101f, 1e-6);
    EXPECT_NEAR(BlockFloat(row(), 2, block::Error), 5.1f, 1e-4) << "0.101 MPa against 50 kPa over a 1 MPa span";
    EXPECT_EQ(BlockFloat(row(), 3, block::Pressure), 12.5f) << "the typed pressure of a channel without output";
    EXPECT_EQ(BlockFloat(row(), 3, block::Current), 0.0f);
    EXPECT_EQ(BlockFloat(row(), 3, block::Error), -37.5f);
    EXPECT_EQ(ReadTextSlot(row(), MeasBlockOffset(2) + block::Unit, kUnitSlot), U("МПа"));
    EXPECT_EQ(BlockFloat(row(), 2, block::UpperLimit), 1.0f);

    QTreeWidgetItem* second = meas->lv_Meas->topLevelItem(1);
    EXPECT_EQ(second->text(5), "5.6160");
    EXPECT_EQ(second->text(7), U("0.0500 МПа"));
    EXPECT_EQ(second->text(8), "5.1000");
    EXPECT_FALSE(meas->OutOfTolerance(1, BlockFloat(row(), 1, block::Error)));
    EXPECT_TRUE(meas->OutOfTolerance(3, BlockFloat(row(), 3, block::Error)));
    EXPECT_TRUE(meas->BitBtn_Write->isEnabled()) << "a complete sweep may be recorded";

    instrument.clearRequests();
    countdown(10);
    EXPECT_TRUE(instrument.requests().empty());
    countdown(1);
    ASSERT_TRUE(runToPause());
    EXPECT_EQ(instrument.requests().front(), "1;1;1;") << "the next sweep starts after the pause";
}

TEST_F(MeasurementCycle, HandEntryTakesTheTypedReference) {
    meas->cbPetlSource->setCurrentIndex(1);
    meas->eb_P_etl->setText("105.5");
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    EXPECT_EQ(instrument.requests()[2], "1;1;5;") << "the sweep's first request asks channel 1 instead";
    EXPECT_EQ(BlockFloat(row(), 0, block::Pressure), 105.5f);
    EXPECT_FLOAT_EQ(BlockFloat(row(), 1, block::Error), -55.5f);
}

TEST_F(MeasurementCycle, ATimeOutEndsTheRunWithNoLink) {
    meas->BitBtn_StartClick();
    instrument.pushFault(sim::Fault::Mute());
    ASSERT_TRUE(pumpUntil([&] { return !instrument.requests().empty(); }));
    countdown(11);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Нет связи с устройством!")});
    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_FALSE(meas->BitBtn_Start->isHidden());
    EXPECT_TRUE(meas->BitBtn_Stop->isHidden());
    EXPECT_FALSE(window->Comm->IsOpen());
}

TEST_F(MeasurementCycle, AnErrorAnswerEndsTheRunWithItsText) {
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    instrument.pushFault(sim::Fault::Error(12));
    countdown(11);
    ASSERT_TRUE(pumpUntil([] { return WorkState == WorkIdle; }));
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Обрыв датчика")});
    EXPECT_FALSE(meas->BitBtn_Write->isEnabled());
}

TEST_F(MeasurementCycle, ASupersededSweepGoesOnAfterItsGuardWithoutStoringALostReference) {
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    countdown(11);
    // The reference's answer has arrived but is not yet read when another window's one-shot
    // read takes the line: its write discards the answer.
    const std::size_t answer = sim::Instrument::DataAnswer(1, "50.0000").size();
    ASSERT_TRUE(testing_support::WaitUntil([&] {
        host.service(0);
        return window->Comm->IsOpen() && window->Comm->Handle->available() == static_cast<int>(answer);
    }));
    ASSERT_EQ(WorkStep, 31);
    QLineEdit other;
    Requester = &other;
    UiExchange = true;
    instrument.setSource(1, 77.0);
    SendRequest(*window->Comm, 1, CmdRead, 30, MemParams, DataWord);
    ASSERT_TRUE(pumpUntil([&] { return !other.text().isEmpty(); }));
    instrument.clearRequests();
    countdown(70);
    EXPECT_TRUE(instrument.requests().empty()) << "the guard of 70 ticks fires on the 71st";
    EXPECT_TRUE(dialogs.shown.empty());
    countdown(1);
    ASSERT_TRUE(pumpUntil([&] { return !instrument.requests().empty(); }));
    EXPECT_EQ(BlockFloat(row(), 0, block::Pressure), 50.0f) << "the lost reference is no reading of 0 kPa";
    ASSERT_TRUE(runToPause());
    EXPECT_EQ(WorkState, WorkMeasurement);
}

TEST_F(MeasurementCycle, AStepOutsideTheTableRestartsTheSweepInsteadOfStalling) {
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    WorkStep = 40;  // a stray send during the pause
    countdown(11);
    EXPECT_EQ(WorkStep, 0);
    instrument.clearRequests();
    countdown(11);
    ASSERT_TRUE(runToPause());
    EXPECT_EQ(instrument.requests().front(), "1;10;259;0;1;");
}

TEST_F(MeasurementCycle, TheRowsRangeUnitsAndUncertaintyAreKeptWhateverTheGraphShows) {
    meas->cbTypeGraph->setCurrentIndex(1);  // "Ток"
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    EXPECT_EQ(BlockFloat(row(), 1, block::UpperLimit), 100.0f);
    EXPECT_EQ(ReadTextSlot(row(), MeasBlockOffset(1) + block::Unit, kUnitSlot), U("кПа"));
    EXPECT_GT(BlockFloat(row(), 1, block::Uncertainty), 0.0f);
    EXPECT_GT(meas->FChannelWindow[0].SampleCount, 0);
}

TEST_F(MeasurementCycle, RecordingTakesOnlyChannelsMeasuredInThisRun) {
    setRow(3, {"ДРК-8", "m", "s", "0", "100", "  кПа", "", "", "0.5"});  // an output it cannot convert
    ASSERT_EQ(tune->TuneFromForm(window->SetupRecord), 0);
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    meas->BitBtn_WriteClick();
    ASSERT_EQ(meas->MeasCount, 1);
    const std::uint8_t* recorded = meas->MeasProtocol.data();
    EXPECT_EQ(recorded[row::Written], 1);
    EXPECT_EQ(ReadInt32(recorded, MeasBlockOffset(1) + block::Included), 1);
    EXPECT_EQ(ReadInt32(recorded, MeasBlockOffset(3) + block::Included), 0) << "ticked but never measured";
    EXPECT_EQ(ReadInt32(recorded, MeasBlockOffset(4) + block::Included), 0);
    EXPECT_EQ(std::memcmp(recorded + 1, row() + 1, kCurrentRowSize - 1) == 0, false)
        << "the Included flags differ from the live row";
    EXPECT_EQ(BlockFloat(recorded, 1, block::Pressure), 50.0f);

    for (int i = 0; i < 1030; ++i) meas->BitBtn_WriteClick();
    EXPECT_EQ(meas->MeasCount, kProtocolRowLimit);
}

TEST_F(MeasurementCycle, AnUnknownUnitIsReportedOnceAtTheStartAndNotEverySweep) {
    SetSetupText(window->SetupRecord, setup::RefUnits, U("КПА"));
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    countdown(11);
    ASSERT_TRUE(runToPause());
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Не найдена единица измерения !!!")});
}

TEST_F(MeasurementCycle, TheInstrumentsReferenceUnitReachesTheSetupOnlyWithAutomaticUnits) {
    instrument.setByte(0, 262, 7);  // МПа
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    EXPECT_EQ(window->FrameZKV_Settings1->cfgEtlPD_30_unit->currentText(), U("МПа"));
    EXPECT_EQ(SetupText(window->SetupRecord, setup::RefUnits), U("кПа"));
    meas->BitBtn_StopClick();

    tune->cbGHVunitsFromZKV->setChecked(true);
    instrument.setByte(0, 259, 12);  // no zero setting: the unit comes from the settings record
    instrument.setByte(2, 25, 7);
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    EXPECT_FALSE(window->FrameZKV_Settings1->cfgEtlPDunit->isHidden());
    EXPECT_EQ(SetupText(window->SetupRecord, setup::RefUnits), U("МПа"));
    EXPECT_EQ(BlockFloat(row(), 0, block::Pressure), 50000.0f) << "50 MPa in kPa";
}

TEST_F(MeasurementCycle, AStopEndsTheRunAtOnce) {
    meas->BitBtn_StartClick();
    ASSERT_TRUE(pumpUntil([] { return WorkStep >= 31; }));
    meas->BitBtn_StopClick();
    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_FALSE(window->Comm->IsOpen());
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
