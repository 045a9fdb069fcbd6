#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/measurement/frame_meas.h"
#include "app/model/current_row.h"
#include "app/model/record_fields.h"
#include "app/model/report_fill.h"
#include "app/model/setup_record.h"
#include "app/model/value_text.h"
#include "app/results/frame_result.h"
#include "app/setup/frame_tune.h"
#include "platform/class_library/cp1251.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/spreadsheet/spreadsheet_app.h"
#include "platform/system/clock.h"
#include "tests/app/simulator_window_fixture.h"
#include "tests/support/printers.h"
#include "tests/support/report_library_probe.h"
#include "tests/support/workbook_reader.h"

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
            {"УЛМ-41", "m", "S-1", "0", "100", "  кПа", "4 - 20 мА", "линейная", "0.5"},
            {"УЛМ-63", "m", "S-2", "0", "1", "  МПа", "4 - 20 мА", "линейная", "1.5"},
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

// A protocol row without results rows could be neither seen nor removed, yet the protocol would
// print it: a press whose set-up does not apply records nothing, and says why once.
TEST_F(ResultsEndToEnd, ARecordWhoseSetupDoesNotApplyRecordsNothing) {
    sweep(50.0, 12.0, 5.0);
    tune->Edit_Kf_Fault->setText("2");
    meas->BitBtn_Write->click();
    EXPECT_EQ(dialogs.texts(),
              (std::vector<QString>{U("Значение коэффициента погрешности должно быть в диапазоне 0...1"),
                                    U("Указаны неверные значения!")}))
        << "one apply for the press, not one per ticked channel";
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(meas->MeasCount, 0);
    EXPECT_EQ(protocolRow(0), std::vector<std::uint8_t>(kCurrentRowSize, 0));
    EXPECT_FALSE(results->BitBtnClear->isEnabled());

    tune->Edit_Kf_Fault->setText("1");
    sweep(60.0, 13.0, 6.0);
    const std::vector<Expected> first = record(1);
    EXPECT_EQ(shown(), first);
    ASSERT_EQ(meas->MeasCount, 1);

    dialogs.shown.clear();
    removeSelected(0);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(meas->MeasCount, 0) << "the point's protocol row went, and no other was left behind";
    EXPECT_EQ(protocolRow(0), std::vector<std::uint8_t>(kCurrentRowSize, 0));
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
    const testing_support::HeldProbe library(REPORT_PROBE_MODULE, folder.file("zkvsheet.so"));
    ASSERT_TRUE(library.loaded());
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
        const platform::TAllTextToExcel& handed = library.record();
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
    EXPECT_EQ(library.reportCalls(), 2);
    EXPECT_EQ(library.detaches(), 2);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{});
}

// Where the texts of a channel block land on its worksheet, by protocol kind; null: not written.
struct CellMap {
    const char* title;
    const char* points[platform::kPointTexts];  // columns of point row 0, at row 32
    const char* footer[3];                      // verdict, date, verifier
};
constexpr const char* kHeaderCells[platform::kHeaderTexts] = {
    "A4",  "C6",  "E7",  "C8",  "C9",  "F10", "A15", "C15", "D15", "E15", "F15",
    "H15", "I15", "J15", "D18", "D19", "D20", "B31", "C31", "D31", "F31"};
constexpr CellMap kVerificationMap = {
    "Протокол поверки ДД", {"B", "C", "D", "E", "F", "H", nullptr}, {"A44", "B47", "G47"}};
constexpr CellMap kCalibrationMap = {
    "Протокол калибровки ДД", {"B", "C", "D", "E", nullptr, nullptr, "F"}, {nullptr, "B46", "H46"}};

// Every cell the map places a text of the record's used channels in, with that text (UTF-8).
std::map<std::string, std::string> PlacedTexts(const platform::TAllTextToExcel& record, const CellMap& map) {
    std::map<std::string, std::string> cells;
    for (const platform::ChannelReportBlock& block : record.Channel) {
        if (block.SheetName[0] == '\0') continue;
        const std::string sheet = SlotText(block.SheetName).toStdString() + "!";
        for (int k = 0; k < platform::kHeaderTexts; ++k)
            cells[sheet + kHeaderCells[k]] = SlotText(block.HeaderText[k]).toStdString();
        for (int p = 0; p < block.PointCount; ++p)
            for (int k = 0; k < platform::kPointTexts; ++k)
                if (map.points[k] != nullptr)
                    cells[sheet + map.points[k] + std::to_string(32 + p)] =
                        SlotText(block.PointText[p].Text[k]).toStdString();
        const char* verdict = reinterpret_cast<const char*>(&block.FooterText);
        const std::string footer[3] = {
            platform::FromCp1251(std::string_view(verdict, strnlen(verdict, platform::kVerdictSize)))
                .toStdString(),
            SlotText(block.FooterText[2]).toStdString(), SlotText(block.FooterText[3]).toStdString()};
        for (int k = 0; k < 3; ++k)
            if (map.footer[k] != nullptr) cells[sheet + map.footer[k]] = footer[k];
    }
    return cells;
}

// The workstation's folder holds the report library, its templates and "reports"; the desktop only
// notes the workbooks handed to it; the wall clock stands at 7 March 2024, 09:05:03 local time.
class ProtocolEndToEnd : public ResultsEndToEnd {
  protected:
    void SetUp() override {
        ResultsEndToEnd::SetUp();
        namespace fs = std::filesystem;
        fs::copy_file(ZKVSHEET_MODULE, folder.file("zkvsheet.so"));
        fs::copy(ZKV_TEMPLATE_DIR, folder.file("xls_template"));
        fs::create_directory(folder.file("reports"));
        previousDesktop = platform::SetSpreadsheetDesktop(
            {[] { return true; }, [this](const std::string& path) { handedOver.push_back(path); }});
        std::tm local{};
        local.tm_year = 2024 - 1900;
        local.tm_mon = 2;
        local.tm_mday = 7;
        local.tm_hour = 9;
        local.tm_min = 5;
        local.tm_sec = 3;
        local.tm_isdst = -1;
        now = std::chrono::system_clock::from_time_t(std::mktime(&local));
        previousClock = platform::SetWallClock([this] { return now; });
    }
    void TearDown() override {
        platform::SetWallClock(previousClock);
        platform::SetSpreadsheetDesktop(previousDesktop);
        ResultsEndToEnd::TearDown();
    }
    // The record the report of this kind is made from, filled as the workstation fills it.
    std::unique_ptr<platform::TAllTextToExcel> expectedRecord(int mode) const {
        auto record = std::make_unique<platform::TAllTextToExcel>();
        FillReportRecord(*record, mode,
                         {window->SetupRecord, meas->MeasProtocol.data(), kProtocolRows,
                          [this](const QString& name) { return tune->FindMethodDocument(name); }});
        return record;
    }

    std::chrono::system_clock::time_point now;
    platform::WallClock previousClock;
    platform::SpreadsheetDesktop previousDesktop;
    std::vector<std::string> handedOver;
};

TEST_F(ProtocolEndToEnd, TheReportButtonsMakeProtocolWorkbooksWhoseCellsHoldTheRecord) {
    tune->sg_MP->item(2, 0)->setText(U("УЛМ-41"));
    tune->sg_MP->item(2, 1)->setText(U("МИ 1997-89"));
    const double points[3][3] = {{20.0, 7.3, 4.4}, {50.0, 12.2, 5.6}, {80.0, 16.7, 5.3}};
    std::vector<std::vector<Expected>> presses;
    for (int p = 0; p < 3; ++p) {
        sweep(points[p][0], points[p][1], points[p][2]);
        presses.push_back(record(p + 1));
    }
    const struct {
        QPushButton* button;
        int mode;
        const CellMap& map;
        const char* stamp;
        const char* kind;
        const char* dateCell;
    } kinds[] = {{results->Btn_ToExcel, 0, kVerificationMap, " 2024.03.07 09.05.03.xlsx",
                  "первичной поверки датчика давления", "S-1!B47"},
                 {results->Btn_ToExcel_Cal, 1, kCalibrationMap, " 2024.03.07 09.05.04.xlsx",
                  "калибровки датчика давления", "S-1!B46"}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.map.title);
        kind.button->click();
        now += std::chrono::seconds(1);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{});
        const std::string path = folder.file("reports/") + kind.map.title + kind.stamp;
        ASSERT_TRUE(std::filesystem::exists(path));
        EXPECT_EQ(handedOver.back(), path);

        const std::unique_ptr<platform::TAllTextToExcel> expected = expectedRecord(kind.mode);
        ASSERT_EQ(expected->Channel[0].PointCount, 3);
        ASSERT_EQ(expected->Channel[1].PointCount, 3);
        EXPECT_EQ(SlotText(expected->Channel[0].HeaderText[5]), U("МИ 1997-89"));
        const testing_support::OpenpyxlView workbook = testing_support::ReadWithOpenpyxl(path);
        ASSERT_EQ(workbook.error, "");
        ASSERT_EQ(workbook.sheets.size(), 4u);
        EXPECT_EQ(workbook.sheets[0], "S-1");
        EXPECT_EQ(workbook.sheets[1], "S-2");
        const std::vector<std::string> states = {
            workbook.states.at(workbook.sheets[0]), workbook.states.at(workbook.sheets[1]),
            workbook.states.at(workbook.sheets[2]), workbook.states.at(workbook.sheets[3])};
        EXPECT_EQ(states, (std::vector<std::string>{"visible", "visible", "hidden", "hidden"}));
        const std::map<std::string, std::string> placed = PlacedTexts(*expected, kind.map);
        ASSERT_EQ(placed.size(), 2u * (21 + 3 * (kind.mode == 0 ? 6 : 5) + (kind.mode == 0 ? 3 : 2)));
        for (const auto& [cell, text] : placed) {
            const auto found = workbook.values.find(cell);
            EXPECT_EQ(found == workbook.values.end() ? std::string() : found->second, text) << cell;
        }
        // What the user typed and saw on the pages is what the workbook shows.
        const std::map<std::string, QString> seen = {
            {"S-1!A4", U(kind.kind)},
            {"S-1!F10", U("МИ 1997-89")},
            {"S-2!C8", "S-2"},
            {"S-2!E7", U("УЛМ-63  модель m")},
            {"S-1!D18", "20"},
            {kind.dateCell, "2024.03.07"},
            {"S-1!C33", presses[1][0].reference.section(' ', 0, 0)},
            {"S-2!D34", presses[2][1].measured.section(' ', 0, 0)},
        };
        for (const auto& [cell, text] : seen)
            EXPECT_EQ(QString::fromStdString(workbook.values.at(cell)), text) << cell;
    }
    EXPECT_EQ(handedOver.size(), 2u);
}

TEST_F(ProtocolEndToEnd, AProtocolTheLibraryCannotMakeEndsWithItsCodeAndNoWorkbook) {
    const struct {
        const char* name;
        const char* missing;
        const char* message;
    } cases[] = {
        {"no reports folder", "reports", "Ошибка при создании отчёта. Код ошибки:-104"},
        {"no templates", "xls_template", "Ошибка при создании отчёта. Код ошибки:-103"},
    };
    sweep(50.0, 12.0, 5.0);
    record(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(folder.file(c.missing));
        dialogs.shown.clear();
        results->Btn_ToExcel->click();
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{U(c.message)});
        EXPECT_TRUE(handedOver.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(folder.file("reports")));
}

}  // namespace
