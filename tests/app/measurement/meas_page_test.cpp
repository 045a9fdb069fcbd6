#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/controls/frame_graph.h"
#include "app/controls/graph_series.h"
#include "app/measurement/frame_meas.h"
#include "app/model/current_row.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "app/results/frame_result.h"
#include "app/setup/frame_tune.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/app/simulator_window_fixture.h"

namespace {

// The measurement page of the window, against the simulated instrument.
class MeasurementPage : public WindowOnSimulator {
protected:
    void SetUp() override {
        WindowOnSimulator::SetUp();
        meas = window->FrameMeas1;
        TFrameTune* tune = window->FrameTune1;
        tune->Edit1->setText("20");
        tune->Edit2->setText("50");
        tune->Edit3->setText("750");
        tune->Edit_Kf_Fault->setText("1");
        const char* rows[4][9] = {
            {"УЛМ-41", "m", "s", "0", "100", "  кПа", "4 - 20 мА", "линейная", "1"},
            {"нет", "", "", "", "", "", "", "", ""},
            {"ДРК-8", "m", "s", "0", "100", "  кПа", "- нет -", "", "1"},
            {"нет", "", "", "", "", "", "", "", ""},
        };
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 9; ++c) tune->SetCellText(r, c, U(rows[r - 1][c - 1]));
        ASSERT_EQ(tune->TuneFromForm(window->SetupRecord), 0);
        for (int r : {0, 2}) meas->lv_Meas->topLevelItem(r)->setCheckState(0, Qt::Checked);
        instrument.setSource(1, 50.0);
        instrument.setSource(5, 12.0);
        window->Pages->setCurrentIndex(2);
        dialogs.shown.clear();
    }
    bool runToPause() { return pumpUntil([] { return WorkStep == 36 || WorkState == WorkIdle; }); }
    // One sweep more, with the graph taking its sample.
    void nextSweep() {
        countdown(11);
        ASSERT_TRUE(runToPause());
        meas->FrameGraph1->Timer1Timer();
    }
    int referencePoints() const { return meas->FrameGraph1->Series[0]->Count(); }
    QTreeWidgetItem* item(int row) const { return meas->lv_Meas->topLevelItem(row); }
    void pressOnCell(int row, int column) {
        const QRect rect = meas->lv_Meas->visualItemRect(item(row));
        const int x = meas->lv_Meas->header()->sectionViewportPosition(column) + 3;
        meas->lv_MeasMouseDown(QPoint(x, rect.center().y()));
    }

    TFrameMeas* meas = nullptr;
};

TEST_F(MeasurementPage, StartRunsTheCycleIntoTheTableAndStopEndsIt) {
    meas->BitBtn_StartClick();
    EXPECT_TRUE(meas->BitBtn_Start->isHidden());
    EXPECT_FALSE(meas->BitBtn_Stop->isHidden());
    EXPECT_TRUE(meas->FrameGraph1->Timer1->isActive());
    ASSERT_TRUE(runToPause());
    EXPECT_EQ(item(0)->text(6), U("50.0000 кПа"));
    EXPECT_EQ(item(0)->text(5), "12.0000");
    EXPECT_EQ(item(2)->text(8), "") << "a pressure cell that holds no number converts nothing";
    meas->FrameGraph1->Timer1Timer();
    EXPECT_EQ(referencePoints(), 1);

    meas->BitBtn_WriteClick();
    EXPECT_EQ(meas->MeasCount, 1);

    meas->BitBtn_StopClick();
    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_FALSE(meas->BitBtn_Start->isHidden());
    EXPECT_FALSE(meas->BitBtn_Write->isEnabled());
    EXPECT_FALSE(meas->FrameGraph1->Timer1->isActive());
}

// A press whose set-up does not apply records nothing: no results row and no protocol row, which
// the results page could neither show nor remove. The set-up page says why, once.
TEST_F(MeasurementPage, WriteRecordsNothingWhenTheSetupDoesNotApply) {
    TFrameTune* tune = window->FrameTune1;
    const QTreeWidget* results = window->Frame_Results1->ListViewResults;
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    meas->BitBtn_WriteClick();
    ASSERT_EQ(meas->MeasCount, 1);
    ASSERT_EQ(results->topLevelItemCount(), 1) << "channel 3 has no pressure of its own";
    ASSERT_TRUE(dialogs.shown.empty());

    const struct {
        const char* what;
        std::function<void()> breakIt;
        std::function<void()> mendIt;
        std::vector<QString> messages;
    } cases[] = {
        {"a factor out of range",
         [&] { tune->Edit_Kf_Fault->setText("2"); },
         [&] { tune->Edit_Kf_Fault->setText("1"); },
         {U("Значение коэффициента погрешности должно быть в диапазоне 0...1"),
          U("Указаны неверные значения!")}},
        {"equal range limits, which have no message of their own",
         [&] { tune->SetCellText(3, 4, "100"); },
         [&] { tune->SetCellText(3, 4, "0"); },
         {U("Указаны неверные значения!")}},
    };
    for (const auto& c : cases) {
        dialogs.shown.clear();
        c.breakIt();
        meas->BitBtn_WriteClick();
        EXPECT_EQ(meas->MeasCount, 1) << c.what;
        EXPECT_EQ(results->topLevelItemCount(), 1) << c.what;
        EXPECT_EQ(dialogs.texts(), c.messages) << c.what;
        c.mendIt();
    }
    dialogs.shown.clear();
    meas->BitBtn_WriteClick();
    EXPECT_EQ(meas->MeasCount, 2);
    EXPECT_EQ(results->topLevelItemCount(), 2);
    EXPECT_TRUE(dialogs.shown.empty());
    meas->BitBtn_StopClick();
}

TEST_F(MeasurementPage, LeavingThePagePausesAndComingBackResumesWithTheGraphKept) {
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    meas->FrameGraph1->Timer1Timer();
    nextSweep();
    ASSERT_EQ(referencePoints(), 2);

    window->Pages->setCurrentIndex(3);
    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_TRUE(MeasWasRunning);
    window->Pages->setCurrentIndex(4);
    window->Pages->setCurrentIndex(2);
    EXPECT_EQ(WorkState, WorkMeasurement);
    ASSERT_TRUE(runToPause());
    meas->FrameGraph1->Timer1Timer();
    EXPECT_EQ(referencePoints(), 3) << "the resumed run keeps the earlier points";

    meas->BitBtn_StopClick();
    meas->BitBtn_StartClick();
    EXPECT_EQ(referencePoints(), 0) << "a start by the user clears the graph";
}

TEST_F(MeasurementPage, GraphSamplingStopsWhenTheRunEndsByItself) {
    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    instrument.pushFault(sim::Fault::Mute());
    countdown(11);
    ASSERT_TRUE(pumpUntil([&] { return instrument.requests().size() >= 8; }));
    countdown(11);
    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_FALSE(meas->FrameGraph1->Timer1->isActive());
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Нет связи с устройством!")});
}

TEST_F(MeasurementPage, OutOfToleranceRowsAreDrawnYellow) {
    const struct {
        const char* error;
        bool ticked;
        std::optional<QColor> colour;
    } cases[] = {{"1.5000", true, QColor(Qt::yellow)},
                 {"-1.5000", true, QColor(Qt::yellow)},
                 {"1.0000", true, meas->lv_Meas->palette().color(QPalette::Base)},
                 {"1.5000", false, std::nullopt},
                 {"", true, std::nullopt}};
    for (const auto& c : cases) {
        item(0)->setCheckState(0, c.ticked ? Qt::Checked : Qt::Unchecked);
        item(0)->setText(8, c.error);
        EXPECT_EQ(meas->lv_MeasCustomDrawItem(0), c.colour) << c.error << " ticked " << c.ticked;
    }
}

TEST_F(MeasurementPage, AClickUnticksRowsOfUnusedChannelsAndBlanksThem) {
    item(1)->setCheckState(0, Qt::Checked);
    item(1)->setText(5, "4.0000");
    meas->lv_MeasClick();
    EXPECT_EQ(item(1)->checkState(0), Qt::Unchecked);
    for (int column = 2; column <= 9; ++column) EXPECT_EQ(item(1)->text(column), " ") << column;
    EXPECT_EQ(item(0)->checkState(0), Qt::Checked) << "a used channel keeps its tick";
}

TEST_F(MeasurementPage, AGraphBoxOfAnUntickedRowCannotBeTicked) {
    meas->cbToGraph_Ch2->setChecked(true);
    meas->cbToGraph_Ch1Click(meas->cbToGraph_Ch2);
    EXPECT_FALSE(meas->cbToGraph_Ch2->isChecked());
    meas->cbToGraph_Ch0->setChecked(true);
    meas->cbToGraph_Ch1Click(meas->cbToGraph_Ch0);
    EXPECT_TRUE(meas->cbToGraph_Ch0->isChecked()) << "the reference can always be shown";
    meas->RefreshChannelRows();
    EXPECT_FALSE(meas->cbToGraph_Ch4->isChecked());
    EXPECT_TRUE(meas->cbToGraph_Ch1->isChecked());
    EXPECT_EQ(item(3)->text(5), "");
}

TEST_F(MeasurementPage, GraphBoxesThePageSetsShowAndHideTheirSeries) {
    const auto active = [this] {
        std::vector<bool> series;
        for (int i = 0; i <= 4; ++i) series.push_back(meas->FrameGraph1->Series[static_cast<std::size_t>(i)]->Active());
        return series;
    };
    // Showing the page cleared the boxes of the unused channels 2 and 4.
    EXPECT_EQ(active(), (std::vector<bool>{true, true, false, true, false}));
    item(0)->setCheckState(0, Qt::Unchecked);
    pressOnCell(0, 0);
    EXPECT_FALSE(meas->cbToGraph_Ch1->isChecked());
    EXPECT_EQ(active(), (std::vector<bool>{true, false, false, true, false}));
    item(0)->setCheckState(0, Qt::Checked);
    pressOnCell(0, 0);
    EXPECT_EQ(active(), (std::vector<bool>{true, true, false, true, false}));

    meas->cbToGraph_Ch3->setChecked(true);
    item(2)->setCheckState(0, Qt::Unchecked);
    meas->RefreshChannelRows();
    EXPECT_FALSE(meas->cbToGraph_Ch3->isChecked());
    EXPECT_EQ(active(), (std::vector<bool>{true, true, false, false, false})) << "an unticked row's channel goes too";
}

// Keys as a user's: the window is the active one and the keys go to the focused control.
TEST_F(MeasurementPage, EnterPressesStartExceptInThePressureEditor) {
    window->activateWindow();
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), window.get());
    for (QWidget* control : std::initializer_list<QWidget*>{meas->eb_P_etl, meas->cbPetlSource, meas->cbTypeGraph,
                                                           meas->lv_Meas, meas->cbToGraph_Ch0}) {
        const std::string name = control->objectName().toStdString();
        control->setFocus();
        ASSERT_TRUE(control->hasFocus()) << name;
        QTest::keyClick(control, Qt::Key_Return);
        EXPECT_FALSE(meas->BitBtn_Stop->isHidden()) << name;
        EXPECT_EQ(WorkState, WorkMeasurement) << name;
        QTest::keyClick(control, Qt::Key_Return);
        EXPECT_FALSE(meas->BitBtn_Stop->isHidden()) << "Enter never stops a run: " << name;
        meas->BitBtn_StopClick();
    }

    pressOnCell(2, 6);
    ASSERT_TRUE(meas->edP_hand->hasFocus());
    QTest::keyClicks(meas->edP_hand, "7");
    QTest::keyClick(meas->edP_hand, Qt::Key_Return);
    EXPECT_TRUE(meas->edP_hand->isHidden());
    EXPECT_TRUE(meas->BitBtn_Stop->isHidden()) << "Enter closes the editor and starts nothing";
    EXPECT_EQ(WorkState, WorkIdle);
}

TEST_F(MeasurementPage, TheTypedPressureOfAChannelWithoutOutputIsEditedInPlace) {
    pressOnCell(2, 6);
    ASSERT_FALSE(meas->edP_hand->isHidden());
    EXPECT_TRUE(meas->TimerListViewEditUpdare->isActive());
    meas->edP_hand->clear();
    for (QChar ch : U("12,5")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(meas->edP_hand, &press);
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(meas->edP_hand, &enter);
    EXPECT_TRUE(meas->edP_hand->isHidden());
    EXPECT_FALSE(meas->TimerListViewEditUpdare->isActive());
    EXPECT_EQ(item(2)->text(6), "12.5");

    pressOnCell(0, 6);
    EXPECT_TRUE(meas->edP_hand->isHidden()) << "a channel with current output has no editor";

    pressOnCell(2, 6);
    meas->edP_hand->setText("7");
    pressOnCell(0, 5);
    EXPECT_EQ(item(2)->text(6), "7") << "a press elsewhere writes the text back first";
    EXPECT_TRUE(meas->edP_hand->isHidden());

    meas->BitBtn_StartClick();
    ASSERT_TRUE(runToPause());
    EXPECT_EQ(window->CurrentRow[0], 0);
    EXPECT_EQ(ReadFloat32(window->CurrentRow, MeasBlockOffset(3) + block::Pressure), 7.0f) << "the next sweep converts it";
}

TEST_F(MeasurementPage, AStartWhileTheLinkCheckRunsOnlyLooksStarted) {
    WorkState = WorkLinkCheck;
    meas->BitBtn_StartClick();
    EXPECT_FALSE(meas->BitBtn_Stop->isHidden());
    EXPECT_EQ(WorkState, WorkLinkCheck);
    host.service(0);
    EXPECT_TRUE(instrument.requests().empty());
    EXPECT_FALSE(meas->FrameGraph1->Timer1->isActive());
    WorkState = WorkIdle;
}

}  // namespace
