#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "app/measurement/frame_meas.h"
#include "app/model/current_row.h"
#include "app/model/record_fields.h"
#include "app/model/setup_record.h"
#include "app/model/value_text.h"
#include "app/results/frame_result.h"
#include "app/setup/frame_tune.h"
#include "platform/cp1251.h"
#include "platform/utf8_literal.h"
#include "tests/app/simulator_window_fixture.h"
#include "tests/libraries/placed_library.h"
#include "tests/support/printers.h"

namespace {

// What one results row should show.
struct Expected {
    QString channel;
    QString point;
    QString reference;
    QString measured;
    QString error;
    QString tolerance;
};

// Measured against the simulated instrument with channels 1 (0..100 kPa, tolerance 0.5) and
// 2 (0..1 MPa, tolerance 1.5) ticked, "Записать" fills the results page.
class ResultsEndToEnd : public WindowOnSimulator {
  protected:
    void SetUp() override {
        WindowOnSimulator::SetUp();
        meas = window->FrameMeas1;
        tune = window->FrameTune1;
        results = window->Frame_Results1;
        tune->Edit1->setText("20");
        tune->Edit2->setText("50");
        tune->Edit3->setText("750");
        tune->cbGHVunits->setCurrentIndex(1);
        tune->Edit_Kf_Fault->setText("1");
        const char* rows[4][9] = {
            {"УЛМ-41", "m", "s", "0", "100", "  кПа", "4 - 20 мА", "линейная", "0.5"},
            {"УЛМ-63", "m", "s", "0", "1", "  МПа", "4 - 20 мА", "линейная", "1.5"},
            {"нет", "", "", "", "", "", "", "", ""},
            {"нет", "", "", "", "", "", "", "", ""},
        };
        for (int r = 1; r <= 4; ++r)
            for (int c = 1; c <= 9; ++c) tune->SetCellText(r, c, U(rows[r - 1][c - 1]));
        ASSERT_EQ(tune->TuneFromForm(window->SetupRecord), 0);
        for (int r : {0, 1}) meas->lv_Meas->topLevelItem(r)->setCheckState(0, Qt::Checked);
        dialogs.shown.clear();
    }

    bool runToPause() {
        return pumpUntil([] { return WorkStep == 36 || WorkState == WorkIdle; });
    }
    // Sets the instrument's reference and currents and measures one sweep with them.
    void sweep(double referenceKPa, double current1, double current2) {
        instrument.setSource(1, referenceKPa);
        instrument.setSource(5, current1);
        instrument.setSource(6, current2);
        if (WorkState == WorkIdle) {
            meas->BitBtn_StartClick();
        } else {
            countdown(11);
        }
        ASSERT_TRUE(runToPause());
        ASSERT_EQ(WorkState, WorkMeasurement);
    }
    // Presses "Записать" and returns what the rows of each ticked channel should show.
    std::vector<Expected> record(int point) {
        std::vector<Expected> expected;
        const std::uint8_t* row = window->CurrentRow;
        const QString units[] = {U("кПа"), U("МПа")};
        const float referenceKPa = ReadFloat32(row, MeasBlockOffset(0) + block::Pressure);
        const float inUnits[] = {referenceKPa, referenceKPa / 1000.0f};
        for (int c = 1; c <= 2; ++c) {
            expected.push_back(
                {QString::number(c), QString::number(point), FloatText4(inUnits[c - 1]) + " " + units[c - 1],
                 FloatText4(ReadFloat32(row, MeasBlockOffset(c) + block::Pressure)) + " " + units[c - 1],
                 FloatText3(ReadFloat32(row, MeasBlockOffset(c) + block::Error)),
                 c == 1 ? QString("0.500") : QString("1.500")});
        }
        EXPECT_TRUE(meas->BitBtn_Write->isEnabled());
        meas->BitBtn_Write->click();
        return expected;
    }
    std::vector<Expected> shown() const {
        std::vector<Expected> rows;
        for (int i = 0; i < results->ListViewResults->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = results->ListViewResults->topLevelItem(i);
            rows.push_back(
                {item->text(0), item->text(1), item->text(2), item->text(3), item->text(4), item->text(5)});
        }
        return rows;
    }
    std::vector<std::uint8_t> protocolRow(int i) const {
        const std::uint8_t* at = meas->MeasProtocol.data() + static_cast<std::size_t>(i) * kCurrentRowSize;
        return {at, at + kCurrentRowSize};
    }
    void removeSelected(int row) {
        results->ListViewResults->topLevelItem(row)->setSelected(true);
        dialogs.answer(platform::IDYES);
        results->BitBtnRemoveLine->click();
    }

    TFrameMeas* meas = nullptr;
    TFrameTune* tune = nullptr;
    TFrame_Results* results = nullptr;
};

bool operator==(const Expected& a, const Expected& b) {
    return a.channel == b.channel && a.point == b.point && a.reference == b.reference &&
           a.measured == b.measured && a.error == b.error && a.tolerance == b.tolerance;
}
void PrintTo(const Expected& e, std::ostream* os) {
    *os << (QStringList{e.channel, e.point, e.reference, e.measured, e.error, e.tolerance}.join(" | "))
               .toStdString();
}

std::vector<Expected> ByChannel(const std::vector<std::vector<Expected>>& presses) {
    std::vector<Expected> rows;
    for (std::size_t c = 0; c < 2; ++c)
        for (const auto& press : presses) rows.push_back(press[c]);
    return rows;
}

TEST_F(ResultsEndToEnd, ThreeRecordsGiveSixRowsThatRemovalAndClearingKeepInStepWithTheProtocol) {
    const double points[3][3] = {{20.0, 7.3, 4.4}, {50.0, 12.2, 4.0 + 1.616}, {80.0, 16.7, 5.3}};
    std::vector<std::vector<Expected>> presses;
    for (int p = 0; p < 3; ++p) {
        sweep(points[p][0], points[p][1], points[p][2]);
        presses.push_back(record(p + 1));
    }
    EXPECT_EQ(shown(), ByChannel(presses));
    EXPECT_EQ(presses[1][1].reference, U("0.0500 МПа"));
    EXPECT_NE(presses[0][0].error, presses[1][0].error) << "each press carries its own sweep";
    ASSERT_EQ(meas->MeasCount, 3);
    const std::vector<std::uint8_t> first = protocolRow(0), third = protocolRow(2);

    removeSelected(4);  // channel 2, point 2
    presses.erase(presses.begin() + 1);
    for (Expected& row : presses[1]) row.point = "2";
    EXPECT_EQ(shown(), ByChannel(presses));
    EXPECT_EQ(meas->MeasCount, 2);
    EXPECT_EQ(protocolRow(0), first);
    EXPECT_EQ(protocolRow(1), third);
    EXPECT_EQ(protocolRow(2), std::vector<std::uint8_t>(kCurrentRowSize, 0));

    results->BitBtnClear->click();
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(meas->MeasCount, 0);
    EXPECT_TRUE(std::all_of(meas->MeasProtocol.begin(), meas->MeasProtocol.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Удалить записи точки № 2 ?")});
    EXPECT_EQ(WorkState, WorkMeasurement);
}

TEST_F(ResultsEndToEnd, ARecordWhoseSetupDoesNotApplyAddsNoRowsAndKeepsItsProtocolRow) {
    sweep(50.0, 12.0, 5.0);
    tune->Edit_Kf_Fault->setText("2");
    meas->BitBtn_Write->click();
    const QString message = U("Значение коэффициента погрешности должно быть в диапазоне 0...1");
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{message, message})) << "once per ticked channel";
    EXPECT_TRUE(shown().empty());
    ASSERT_EQ(meas->MeasCount, 1);
    EXPECT_FALSE(results->BitBtnClear->isEnabled());
    const std::vector<std::uint8_t> unmatched = protocolRow(0);

    tune->Edit_Kf_Fault->setText("1");
    sweep(60.0, 13.0, 6.0);
    const std::vector<Expected> second = record(1);
    EXPECT_EQ(shown(), second);
    ASSERT_EQ(meas->MeasCount, 2);

    dialogs.shown.clear();
    removeSelected(0);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(meas->MeasCount, 1);
    EXPECT_EQ(protocolRow(0), unmatched) << "the point's own protocol row went, not the one before it";
    EXPECT_EQ(protocolRow(1), std::vector<std::uint8_t>(kCurrentRowSize, 0));
}

TEST_F(ResultsEndToEnd, TheReportButtonsLeaveTheAnswerTimeOutAndARunningMeasurementAlone) {
    sweep(50.0, 12.0, 5.0);
    record(1);
    const QString noLibrary = U("Библиотека не найдена!");

    // In the pause between sweeps, and while a sweep waits for an answer.
    ASSERT_EQ(TimeoutTicks, -1);
    results->Btn_ToExcel->click();
    EXPECT_EQ(TimeoutTicks, -1);
    countdown(11);
    ASSERT_EQ(WorkStep, 31) << "the reference is asked for";
    const int waiting = TimeoutTicks;
    ASSERT_GT(waiting, 0);
    results->Btn_ToExcel_Cal->click();
    EXPECT_EQ(TimeoutTicks, waiting);
    countdown(1);
    ASSERT_TRUE(runToPause());

    EXPECT_EQ(WorkState, WorkMeasurement);
    EXPECT_EQ(dialogs.texts(), (std::vector<QString>{noLibrary, noLibrary}));
    EXPECT_EQ(window->StatusPanelText(0), U("Есть связь"));
    EXPECT_FALSE(meas->BitBtn_Stop->isHidden());
}

QString SlotText(const char* slot) {
    return platform::FromCp1251(std::string_view(slot, strnlen(slot, platform::kSlotSize)));
}

TEST_F(ResultsEndToEnd, TheReportButtonsHandTheLibraryTheRecordedPointsAndTheSetupPagesDocuments) {
    PlacedLibrary library(FAKE_ZKVSHEET, folder.file("zkvsheet.so"));
    ASSERT_TRUE(library.ready());
    tune->sg_MP->item(2, 0)->setText(U("УЛМ-41"));
    tune->sg_MP->item(2, 1)->setText(U("МИ 1997-89"));
    std::vector<std::vector<Expected>> presses;
    sweep(20.0, 7.3, 4.4);
    presses.push_back(record(1));
    sweep(80.0, 16.7, 5.3);
    presses.push_back(record(2));

    const struct {
        QPushButton* button;
        int mode;
        const char* kind;
    } buttons[] = {{results->Btn_ToExcel, 0, "первичной поверки датчика давления"},
                   {results->Btn_ToExcel_Cal, 1, "калибровки датчика давления"}};
    for (const auto& b : buttons) {
        b.button->click();
        const platform::TAllTextToExcel& handed = library.state().record;
        EXPECT_EQ(handed.Mode, b.mode);
        const char* documents[] = {"МИ 1997-89", ""};
        for (int c = 0; c < 2; ++c) {
            const platform::ChannelReportBlock& block = handed.Channel[c];
            EXPECT_EQ(SlotText(block.HeaderText[0]), U(b.kind));
            EXPECT_EQ(SlotText(block.HeaderText[5]), U(documents[c])) << "channel " << c + 1;
            ASSERT_EQ(block.PointCount, 2);
            for (int p = 0; p < 2; ++p) {
                const Expected& row = presses[static_cast<std::size_t>(p)][static_cast<std::size_t>(c)];
                // The page shows the same numbers with the units after a blank.
                EXPECT_EQ(SlotText(block.PointText[p].Text[1]), row.reference.section(' ', 0, 0));
                EXPECT_EQ(SlotText(block.PointText[p].Text[2]), row.measured.section(' ', 0, 0));
                EXPECT_EQ(SlotText(block.PointText[p].Text[4]), row.error);
                EXPECT_EQ(SlotText(block.PointText[p].Text[5]), row.tolerance);
            }
        }
        EXPECT_EQ(handed.Channel[2].Present, 0);
        EXPECT_EQ(handed.Channel[3].Present, 0);
    }
    EXPECT_EQ(library.state().calls, 2);
    EXPECT_EQ(library.state().detaches, 2);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{});
}

TEST_F(ResultsEndToEnd, TheReportLibraryBesideTheWorkstationTakesTheRecordAndAnswersItsProtocolStep) {
    std::filesystem::copy_file(ZKVSHEET_MODULE, folder.file("zkvsheet.so"));
    sweep(50.0, 12.0, 5.0);
    record(1);
    results->Btn_ToExcel->click();
    // The record passed the library's checks; its protocol step has no template yet.
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Ошибка при создании отчёта. Код ошибки:-103")});
}

}  // namespace
