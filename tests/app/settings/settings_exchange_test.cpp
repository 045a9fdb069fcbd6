// The settings page against the simulated instrument on a pseudo-terminal: settings, clock,
// factory number, zero setting, every failure, and the link check's tail.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTreeWidget>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/model/device_clock.h"
#include "app/settings/frame_settings.h"
#include "app/setup/frame_tune.h"
#include "link/exchange_state.h"
#include "link/find_device_frame.h"
#include "link/my_comm.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/system/clock.h"
#include "tests/app/simulator_window_fixture.h"
#include "tests/support/printers.h"

namespace {

using sim::Fault;

std::vector<std::uint8_t> Bytes(const TDeviceSettings& record) {
    const auto bytes = SettingsBytes(record);
    return {bytes.begin(), bytes.end()};
}

// The first field of each request since the instrument last forgot them, without address.
std::vector<std::string> Requests(const sim::Instrument& instrument) {
    std::vector<std::string> bodies;
    for (const std::string& body : instrument.requests()) bodies.push_back(body.substr(body.find(';') + 1));
    return bodies;
}

class SettingsOnSimulator : public WindowOnSimulator {
  protected:
    void SetUp() override {
        WindowOnSimulator::SetUp();
        page = window->FrameZKV_Settings1;
        platform::SetClockHooks({{},
                                 [this](unsigned ms) { slept.push_back(ms); },
                                 [this](std::string_view text) { debugLines.emplace_back(text); }});
    }

    // The line moves until no answer is awaited any more.
    bool settle() {
        return pumpUntil([] { return TimeoutTicks < 0; });
    }

    // Sends, then lets the answer time-out run out without the line moving.
    void timeOut(const std::function<void()>& click) {
        const std::size_t before = instrument.requests().size();
        click();
        ASSERT_TRUE(testing_support::WaitUntil([&] {
            host.service(0);
            return instrument.requests().size() > before;
        }));
        countdown(AnswerTimeoutTicks + 1);
    }

    // The connection page checks the link to the simulated instrument; its success box is
    // answered at once. Returns the window's 100 ms countdown ticks counted after the box.
    int checkLink() {
        TFrameFindDevice* connection = window->FrameFindDevice;
        auto* row = new QTreeWidgetItem(connection->ListView1);
        row->setText(1, "COM1");
        row->setText(2, "1");
        connection->ListView1->setCurrentItem(row);
        connection->CheckLinkClick(connection->CheckLink);
        EXPECT_EQ(WorkState, WorkLinkCheck);
        int ticksAfterTheBox = 0;
        const std::size_t boxesBefore = dialogs.shown.size();
        for (int step = 0; step < 200 && WorkState == WorkLinkCheck; ++step) {
            if (TimeoutTicks < 0) {
                window->TimerRSTimeoutTimer();
                if (dialogs.shown.size() > boxesBefore) ++ticksAfterTheBox;
                continue;
            }
            EXPECT_TRUE(pumpUntil([] { return TimeoutTicks < 0 || WorkState != WorkLinkCheck; }));
        }
        return ticksAfterTheBox;
    }

    // Opens a project file of the given text through the main window's menu.
    void openProject(const std::string& text) {
        const std::string path = folder.file("old.zkv");
        std::ofstream(path, std::ios::binary) << text;
        dialogs.answerFile(QString::fromStdString(path));
        const std::size_t before = dialogs.shown.size();
        window->N4Click();
        // The file dialog, and nothing to say about the project.
        ASSERT_EQ(dialogs.shown.size(), before + 1);
        dialogs.shown.pop_back();
    }

    void putSettings(const TDeviceSettings& record) { instrument.setBlock(2, 16, Bytes(record)); }
    std::vector<std::uint8_t> instrumentSettings() const { return instrument.blockAt(2, 16, 48); }

    TFrameZKV_Settings* page = nullptr;
    std::vector<std::string> debugLines;
};

// Settings no control shows as they are, around values the controls do show.
TDeviceSettings InstrumentsOwnSettings() {
    TDeviceSettings record = DefaultDeviceSettings();
    record.Year = 124;  // the hidden year spin edit stops at 99
    record.ArchiveWord[0] = 0x34;
    record.ArchiveWord[1] = 0x12;
    record.Averaging = 25;  // above the spin edit's 20
    record.Digits = 3;
    record.SupplyVoltage = 1;
    record.RelayTest = 2;  // no item
    record.Buzzer = 0;
    record.RefUnit = 7;
    record.SensorUnit = 9;
    record.CurrentRange = 0;
    record.Unused[0] = 1;
    record.Unused[3] = 4;
    record.SensorHiP = 2500.5f;
    record.SensorLoP = 0.00001f;  // shown as 0.0000
    record.RefHi = 1.6f;
    record.RefLo = -0.5f;
    record.SensorNo[0] = 1234567;
    record.SensorNo[1] = 42;
    record.SensorNo[2] = 123456789;  // nine digits in an edit of eight
    record.SensorNo[3] = 99999999;
    return record;
}

TEST_F(SettingsOnSimulator, ReadingChangingWritingAndReadingAgainGivesTheSameRecord) {
    const TDeviceSettings own = InstrumentsOwnSettings();
    putSettings(own);
    instrument.setByte(0, 259, 7);  // a reference without its own range registers

    page->ReadConf->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(Requests(instrument), (std::vector<std::string>{"10;16;2;4;", "10;48;2;4;", "10;259;0;1;"}));
    EXPECT_EQ(Bytes(page->Conf), Bytes(own));
    EXPECT_EQ(page->cfgApprox->value(), 20);
    EXPECT_EQ(page->cfgDigits->value(), 3);
    EXPECT_EQ(page->cfgU_24_36_V->currentIndex(), 1);
    EXPECT_EQ(page->cfgRelayTest->currentIndex(), -1);
    EXPECT_EQ(page->cfgEtlPDunit->currentText(), U("МПа"));
    EXPECT_EQ(page->cfgDevPDunits->currentIndex(), 4);
    EXPECT_EQ(page->cfgHiP->text(), "2500.5000");
    EXPECT_EQ(page->cfgLoP->text(), "0.0000");
    EXPECT_EQ(page->ebHiEtl->text(), "1.6000");
    EXPECT_EQ(page->ebLowEtl->text(), "-0.5000");
    EXPECT_EQ(page->cfgNo_1->text(), "1234567");
    EXPECT_EQ(page->cfgNo_3->text(), "12345678");
    EXPECT_EQ(page->ReferenceUnitCombo(), page->cfgEtlPDunit);
    EXPECT_FALSE(page->ebHiEtl->isReadOnly());
    EXPECT_EQ(page->UnitStr->currentRow(), 7);
    EXPECT_EQ(Requester, nullptr);
    EXPECT_FALSE(UiExchange);

    page->cfgDigits->setValue(4);
    page->cfgZummer->setCurrentIndex(1);
    page->cfgHiP->setText("3000");
    page->cfgNo_2->setText("77");
    page->cfgEtlPDunit->setCurrentIndex(0);
    instrument.clearRequests();
    page->WriteConf->click();
    EXPECT_EQ(window->StatusPanelText(2), U("Запись настроек в прибор"));
    ASSERT_TRUE(settle());
    TDeviceSettings changed = own;
    changed.Digits = 4;
    changed.Buzzer = 1;
    changed.SensorHiP = 3000.0f;
    changed.SensorNo[1] = 77;
    changed.RefUnit = 6;
    EXPECT_EQ(instrumentSettings(), Bytes(changed));
    const std::vector<std::string> writes = Requests(instrument);
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_TRUE(writes[0].starts_with("11;16;2;4;")) << writes[0];
    EXPECT_EQ(writes[0].size(), std::string("11;16;2;4;;").size() + 64);
    EXPECT_TRUE(writes[1].starts_with("11;48;2;4;")) << writes[1];
    EXPECT_EQ(writes[1].size(), std::string("11;48;2;4;;").size() + 32);
    EXPECT_EQ(writes[2], "11;49;0;1;0;");
    EXPECT_FALSE(window->Comm->IsOpen()) << "the closing write's answer ends the exchange";
    EXPECT_TRUE(dialogs.shown.empty());

    page->DefaultConf->click();
    page->ReadConf->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(Bytes(page->Conf), Bytes(changed));
    EXPECT_EQ(page->cfgHiP->text(), "3000.0000");
    EXPECT_EQ(page->cfgNo_2->text(), "0000077");
}

TEST_F(SettingsOnSimulator, DefaultsWrittenKeepTheClocksYearAndPutZerosInTheCarriedBytes) {
    putSettings(InstrumentsOwnSettings());
    page->ReadConf->click();
    ASSERT_TRUE(settle());
    page->DefaultConf->click();
    page->WriteConf->click();
    ASSERT_TRUE(settle());
    TDeviceSettings expected = DefaultDeviceSettings();
    expected.Year = 124;
    EXPECT_EQ(instrumentSettings(), Bytes(expected)) << "the clock's year stays 2124";
}

TEST_F(SettingsOnSimulator, TheSettingsReadFollowsTheReferenceTransducersType) {
    struct Case {
        int type;
        int unit;  // the reference unit code the instrument reports
        std::vector<std::string> requests;
        bool type43;
        int unitRow;
        int reportedUnitItem;
    } cases[] = {
        {43,
         8,
         {"10;16;2;4;", "10;48;2;4;", "10;259;0;1;", "10;262;0;1;", "10;266;0;3;", "10;270;0;3;"},
         true,
         8,
         3},
        // A unit code outside 5..12 changes neither list; the read goes on.
        {43,
         13,
         {"10;16;2;4;", "10;48;2;4;", "10;259;0;1;", "10;262;0;1;", "10;266;0;3;", "10;270;0;3;"},
         true,
         8,
         3},
        {4, 8, {"10;16;2;4;", "10;48;2;4;", "10;259;0;1;"}, false, 6, 3},
    };
    instrument.setFloat(0, 266, -1.0f);
    instrument.setFloat(0, 270, 2.5f);
    for (const Case& c : cases) {
        instrument.setByte(0, 259, static_cast<std::uint8_t>(c.type));
        instrument.setByte(0, 262, static_cast<std::uint8_t>(c.unit));
        instrument.clearRequests();
        debugLines.clear();
        page->ReadConf->click();
        EXPECT_TRUE(page->GroupBoxSetZerro->isHidden()) << "hidden at the start of every read";
        ASSERT_TRUE(settle());
        EXPECT_EQ(Requests(instrument), c.requests) << c.type;
        EXPECT_EQ(!page->GroupBoxSetZerro->isHidden(), c.type43) << c.type;
        EXPECT_EQ(page->ebLowEtl->isReadOnly(), c.type43) << c.type;
        EXPECT_EQ(page->ReferenceUnitCombo(), c.type43 ? page->cfgEtlPD_30_unit : page->cfgEtlPDunit)
            << c.type;
        EXPECT_EQ(page->ebLowEtl->text(), c.type43 ? "-1.000000" : "0.0000") << c.type;
        EXPECT_EQ(page->ebHiEtl->text(), c.type43 ? "2.500000" : "1000.0000") << c.type;
        EXPECT_EQ(page->UnitStr->currentRow(), c.unitRow) << c.type;
        EXPECT_EQ(page->cfgEtlPD_30_unit->currentIndex(), c.reportedUnitItem) << c.type;
        EXPECT_EQ(debugLines.size(), c.requests.size()) << c.type;
        EXPECT_EQ(debugLines.front(), "FrameZKV_Settings::RxSetings()  stage: 0");
        EXPECT_EQ(debugLines.back(),
                  "FrameZKV_Settings::RxSetings()  stage: " + std::to_string(c.requests.size() - 1));
        EXPECT_EQ(Requester, nullptr);
        EXPECT_FALSE(UiExchange);
        EXPECT_EQ(page->FRxStage, 0);
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsOnSimulator, TheClockIsReadAndWrittenFromThePickersAndFromThePcsClock) {
    // 29 February 2024, 23:59:58, standing still.
    instrument.setBlock(2, 0, {0x80, 0, 0x58, 0x59, 0x23, 0x29, 0x02});
    instrument.setByte(2, 16, 24);
    page->ReadDT->click();
    EXPECT_EQ(window->StatusPanelText(2), U("Чтение даты и времени из прибора"));
    ASSERT_TRUE(settle());
    EXPECT_EQ(Requests(instrument), (std::vector<std::string>{"10;0;2;4;", "10;16;2;1;"}));
    EXPECT_EQ(page->DatePicker->date(), QDate(2024, 2, 29));
    EXPECT_EQ(page->TimePicker->time(), QTime(23, 59, 58));
    EXPECT_FALSE(window->Comm->IsOpen());
    EXPECT_EQ(Requester, nullptr);

    instrument.clearRequests();
    page->DatePicker->setDate(QDate(2025, 12, 31));
    page->TimePicker->setTime(QTime(9, 5, 7));
    page->WriteDT->click();
    EXPECT_EQ(window->StatusPanelText(2), U("Запись даты и времени в прибор"));
    ASSERT_TRUE(settle());
    EXPECT_EQ(Requests(instrument),
              (std::vector<std::string>{"11;0;2;4;8000070509711200000000000000000019;", "11;0;2;1;0;"}));
    EXPECT_EQ(instrument.blockAt(2, 0, 17),
              (std::vector<std::uint8_t>{0, 0, 0x07, 0x05, 0x09, 0x71, 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 25}))
        << "the second write starts the clock";
    EXPECT_FALSE(window->Comm->IsOpen());

    page->DatePicker->setDate(QDate(2001, 1, 1));
    page->ReadDT->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(page->DatePicker->date(), QDate(2025, 12, 31));
    EXPECT_EQ(page->TimePicker->time(), QTime(9, 5, 7));

    const auto pcNow = std::chrono::sys_days{std::chrono::year{2030} / 3 / 4} + std::chrono::hours{5};
    const platform::WallClock previous = platform::SetWallClock([&] { return pcNow; });
    const QDateTime local = QDateTime::fromSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::seconds>(pcNow.time_since_epoch()).count());
    window->ShowWorkName(0);
    page->WriteSystemDT->click();
    EXPECT_EQ(window->StatusPanelText(2), U("Запись даты и времени в прибор"));
    ASSERT_TRUE(settle());
    platform::SetWallClock(previous);
    EXPECT_EQ(page->DatePicker->date(), local.date());
    page->ReadDT->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(page->DatePicker->date(), local.date());
    EXPECT_EQ(page->TimePicker->time(), local.time());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsOnSimulator, TheFactoryNumberIsReadAndWrittenThroughTheTuvekGroup) {
    window.reset();
    platform::SetCommandLineArguments({"-tuvek"});
    start();
    page = window->FrameZKV_Settings1;
    ASSERT_FALSE(page->GroupBoxZavNo->isHidden());
    dialogs.shown.clear();

    instrument.setWord(3, 30, 7);
    page->BitBtn1->click();
    EXPECT_EQ(page->ebZavNo->text(), "") << "emptied while it waits";
    ASSERT_TRUE(settle());
    EXPECT_EQ(page->ebZavNo->text(), "00007");
    EXPECT_EQ(Requester, nullptr) << "the read ends once the edit is filled";
    EXPECT_FALSE(UiExchange);
    EXPECT_FALSE(window->Comm->IsOpen());

    page->ebZavNo->setText("65535");
    page->BtnSetZavNo->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(instrument.wordAt(3, 30), 65535);
    page->BitBtn1->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(page->ebZavNo->text(), "65535");
    EXPECT_EQ(Requests(instrument),
              (std::vector<std::string>{"10;30;3;2;", "11;30;3;2;65535;", "10;30;3;2;"}));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsOnSimulator, TheZeroSettingAndTheWritesLeaveNoRequesterToTakeTheirAnswers) {
    // A clock read that timed out leaves its requester behind.
    timeOut([&] {
        instrument.pushFault(Fault::Mute());
        page->ReadDT->click();
    });
    ASSERT_EQ(Requester, page->DatePicker);
    dialogs.shown.clear();
    const QDate before = page->DatePicker->date();
    const struct {
        const char* name;
        std::function<void()> click;
        const char* request;
    } writes[] = {
        {"zero setting", [&] { page->Btn_SetZero->click(); }, "11;2;0;1;0;"},
        {"factory number",
         [&] {
             page->ebZavNo->setText("321");
             page->BtnSetZavNo->click();
         },
         "11;30;3;2;321;"},
    };
    for (const auto& w : writes) {
        Requester = page->DatePicker;
        instrument.clearRequests();
        w.click();
        EXPECT_EQ(Requester, nullptr) << w.name;
        EXPECT_TRUE(UiExchange) << w.name;
        ASSERT_TRUE(settle()) << w.name;
        EXPECT_EQ(Requests(instrument), std::vector<std::string>{w.request}) << w.name;
        EXPECT_FALSE(UiExchange) << w.name;
        EXPECT_FALSE(window->Comm->IsOpen()) << w.name;
        EXPECT_EQ(page->DatePicker->date(), before) << w.name;
    }
    // Its answer lost, the zero setting ends with the time-out like any exchange.
    timeOut([&] {
        instrument.pushFault(Fault::Mute());
        page->Btn_SetZero->click();
    });
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Нет связи с устройством!")});
}

TEST_F(SettingsOnSimulator, EveryFailureEndsItsExchangeWithItsMessage) {
    const QString noLink = U("Нет связи с устройством!");
    const QString writeRefused = U("Запись запрещена");
    struct Case {
        const char* name;
        int answersBefore;  // answers given before the failing one
        Fault fault;
        std::function<void()> click;
        std::vector<QString> messages;
        std::size_t requests;  // how many requests went out in all
    } cases[] = {
        // An error answer to the settings read ends it, still without a message.
        {"settings read, error", 0, Fault::Error(7), [&] { page->ReadConf->click(); }, {}, 1},
        {"settings read, second block", 1, Fault::Error(10), [&] { page->ReadConf->click(); }, {}, 2},
        {"settings read, silence", 2, Fault::Mute(), [&] { page->ReadConf->click(); }, {noLink}, 3},
        {"settings write, error", 0, Fault::Error(8), [&] { page->WriteConf->click(); }, {writeRefused}, 1},
        {"settings write, second block",
         1,
         Fault::Error(8),
         [&] { page->WriteConf->click(); },
         {writeRefused},
         2},
        {"settings write, closing write",
         2,
         Fault::Error(8),
         [&] { page->WriteConf->click(); },
         {writeRefused},
         3},
        {"settings write, silence", 1, Fault::Mute(), [&] { page->WriteConf->click(); }, {noLink}, 2},
        {"clock read, error", 0, Fault::Error(10), [&] { page->ReadDT->click(); }, {U("Ошибка чтения")}, 1},
        {"clock read, year", 1, Fault::Mute(), [&] { page->ReadDT->click(); }, {noLink}, 2},
        {"clock write, error", 0, Fault::Error(9), [&] { page->WriteDT->click(); }, {U("Ошибка записи")}, 1},
        {"clock write, second write",
         1,
         Fault::Error(9),
         [&] { page->WriteDT->click(); },
         {U("Ошибка записи")},
         2},
        {"factory number read",
         0,
         Fault::Error(7),
         [&] { page->BitBtn1->click(); },
         {U("Запрашиваемые данные не готовы")},
         1},
        {"factory number write",
         0,
         Fault::Mute(),
         [&] {
             page->ebZavNo->setText("5");
             page->BtnSetZavNo->click();
         },
         {noLink},
         1},
        {"zero setting",
         0,
         Fault::Error(11),
         [&] { page->Btn_SetZero->click(); },
         {U("Команда не поддерживается")},
         1},
    };
    page->DatePicker->setDate(QDate(2024, 5, 6));
    for (const Case& c : cases) {
        instrument.clearFaults();
        instrument.clearRequests();
        dialogs.shown.clear();
        for (int i = 0; i < c.answersBefore; ++i) instrument.pushFault(Fault::Delay(0));
        instrument.pushFault(c.fault);
        if (c.fault.kind == Fault::Silence) {
            c.click();
            ASSERT_TRUE(pumpUntil([&] { return instrument.requests().size() == c.requests; })) << c.name;
            countdown(AnswerTimeoutTicks + 1);
        } else {
            c.click();
            ASSERT_TRUE(settle()) << c.name;
        }
        EXPECT_EQ(dialogs.texts(), c.messages) << c.name;
        EXPECT_EQ(instrument.requests().size(), c.requests) << c.name;
        EXPECT_FALSE(UiExchange) << c.name;
        EXPECT_FALSE(window->Comm->IsOpen()) << c.name;
        countdown(2 * AnswerTimeoutTicks);
        EXPECT_EQ(dialogs.texts(), c.messages) << c.name << ": nothing follows";
    }
}

TEST_F(SettingsOnSimulator, ALinkCheckReadsTheSettingsAndThenAtOnceTheFactoryNumber) {
    TDeviceSettings own = DefaultDeviceSettings();
    own.Averaging = 9;
    own.SensorNo[0] = 31415;
    putSettings(own);
    instrument.setWord(3, 30, 2718);
    const int ticksAfterTheBox = checkLink();
    ASSERT_EQ(WorkState, WorkIdle);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Cвязь с устройством установлена.")});
    EXPECT_LT(ticksAfterTheBox, 10) << "the factory number comes within a second";
    EXPECT_EQ(window->FrameTune1->edZavNoZKV->text(), "2718");
    EXPECT_EQ(Requests(instrument),
              (std::vector<std::string>{"11;1;0;1;1;", "10;16;2;4;", "10;259;0;1;", "10;262;0;1;",
                                        "10;266;0;3;", "10;270;0;3;", "10;30;3;2;"}));
    EXPECT_EQ(page->cfgApprox->value(), 9);
    EXPECT_EQ(page->ebHiEtl->text(), "1000.000000") << "the range the type 43 reference reports";
    EXPECT_FALSE(page->GroupBoxSetZerro->isHidden());
    EXPECT_EQ(page->FRxStage, 0);
    EXPECT_TRUE(LinkUp);
}

// The link check reads only the first 32 bytes of the record; the write after it sends no byte it
// has not read, and one with nothing changed leaves the instrument as it was.
TEST_F(SettingsOnSimulator, AWriteAfterALinkCheckKeepsTheFactoryNumbersItHasNotRead) {
    TDeviceSettings own = InstrumentsOwnSettings();
    const std::int32_t numbers[4] = {1234567, 2345678, 3456789, 4567890};
    std::copy(std::begin(numbers), std::end(numbers), own.SensorNo);
    const struct {
        const char* name;
        const char* typed;  // into channel 2 after the link check, or nothing
        std::int32_t second;
    } cases[] = {{"nothing changed", nullptr, 2345678}, {"channel 2 typed", "77", 77}};
    for (const auto& c : cases) {
        putSettings(own);
        const std::vector<std::uint8_t> before = instrumentSettings();
        const std::uint8_t clockYear = instrument.byteAt(2, 16);
        checkLink();
        ASSERT_EQ(WorkState, WorkIdle) << c.name;
        for (QLineEdit* edit : {page->cfgNo_1, page->cfgNo_2, page->cfgNo_3, page->cfgNo_4})
            EXPECT_EQ(edit->text(), "") << c.name << ": not read, not shown";
        if (c.typed) page->cfgNo_2->setText(c.typed);
        instrument.clearRequests();
        dialogs.shown.clear();
        page->WriteConf->click();
        ASSERT_TRUE(settle()) << c.name;
        EXPECT_TRUE(dialogs.shown.empty()) << c.name;
        const std::vector<std::string> requests = Requests(instrument);
        ASSERT_EQ(requests.size(), 4u) << c.name;
        EXPECT_EQ(requests[0], "10;48;2;4;") << c.name << ": the numbers are read first";
        EXPECT_TRUE(requests[1].starts_with("11;16;2;4;")) << requests[1];
        EXPECT_TRUE(requests[2].starts_with("11;48;2;4;")) << requests[2];
        EXPECT_EQ(requests[3], "11;49;0;1;0;");
        TDeviceSettings expected = own;
        expected.SensorNo[1] = c.second;
        if (!c.typed) {
            EXPECT_EQ(instrumentSettings(), before) << c.name;
        }
        EXPECT_EQ(instrumentSettings(), Bytes(expected)) << c.name;
        EXPECT_EQ(instrument.byteAt(2, 16), clockYear) << c.name;
        EXPECT_EQ(page->cfgNo_1->text(), "1234567") << c.name << ": shown once read";
        EXPECT_EQ(page->cfgNo_2->text(), c.typed ? QString(c.typed) : QString("2345678")) << c.name;
        EXPECT_EQ(page->cfgNo_4->text(), "4567890") << c.name;
    }
}

// The bytes a write lacks are read until they have all come; an instrument that does not give them
// gets nothing written.
TEST_F(SettingsOnSimulator, AWriteReadsTheBytesItLacksTillTheyAllComeOrWritesNothing) {
    TDeviceSettings own = InstrumentsOwnSettings();
    own.SensorNo[0] = 1234567;  // 87 D6 12 00
    const struct {
        const char* name;
        const char* answer;  // to the first read of the missing bytes
        std::vector<std::string> reads;
        std::vector<QString> messages;
        std::size_t writes;
        const char* firstNumber;  // shown once read
    } cases[] = {
        {"a short answer", "87D61200", {"10;48;2;4;", "10;52;2;4;"}, {}, 3, "1234567"},
        {"no bytes", "--", {"10;48;2;4;"}, {U("Невозможно выполнить операцию")}, 0, ""},
    };
    for (const auto& c : cases) {
        putSettings(own);
        checkLink();
        ASSERT_EQ(WorkState, WorkIdle) << c.name;
        instrument.clearRequests();
        dialogs.shown.clear();
        instrument.pushFault(Fault::AnswerWith(c.answer));
        page->WriteConf->click();
        ASSERT_TRUE(settle()) << c.name;
        const std::vector<std::string> requests = Requests(instrument);
        ASSERT_EQ(requests.size(), c.reads.size() + c.writes) << c.name;
        EXPECT_EQ(std::vector<std::string>(requests.begin(), requests.begin() + c.reads.size()), c.reads)
            << c.name;
        EXPECT_EQ(dialogs.texts(), c.messages) << c.name;
        EXPECT_EQ(instrumentSettings(), Bytes(own)) << c.name;
        EXPECT_FALSE(UiExchange) << c.name;
        EXPECT_FALSE(window->Comm->IsOpen()) << c.name;
        EXPECT_EQ(page->cfgNo_1->text(), c.firstNumber) << c.name;
    }
}

// The settings write sends the year the instrument's clock has, whatever the hidden year control
// was given since by "По умолчанию" or an old project.
TEST_F(SettingsOnSimulator, TheSettingsWriteKeepsTheYearTheClockWasLastGiven) {
    const struct {
        const char* name;
        bool setClock;  // the clock written with a date in 2026 after the settings were read
        std::function<void()> between;
        std::uint8_t year;  // the instrument's clock year after the settings write
    } cases[] = {
        {"clock write", true, [] {}, 26},
        {"clock write, then the defaults", true, [&] { page->DefaultConf->click(); }, 26},
        {"an old project", false,
         [&] { openProject("[FrameZKV_Settings1]\r\ncfgYear=24\r\ncfgApprox=5\r\n"); }, 7},
        {"clock write, then an old project", true,
         [&] { openProject("[FrameZKV_Settings1]\r\ncfgYear=24\r\ncfgApprox=5\r\n"); }, 26},
    };
    for (const auto& c : cases) {
        instrument.setByte(2, 16, 7);  // a fresh instrument's 2007
        page->ReadConf->click();
        ASSERT_TRUE(settle()) << c.name;
        ASSERT_EQ(page->cfgYear->value(), 7) << c.name;
        if (c.setClock) {
            page->DatePicker->setDate(QDate(2026, 12, 10));
            page->TimePicker->setTime(QTime(10, 0, 0));
            page->WriteDT->click();
            ASSERT_TRUE(settle()) << c.name;
            ASSERT_EQ(instrument.byteAt(2, 16), 26) << c.name;
        }
        c.between();
        page->WriteConf->click();
        ASSERT_TRUE(settle()) << c.name;
        EXPECT_EQ(instrument.byteAt(2, 16), c.year) << c.name;
        page->ReadDT->click();
        ASSERT_TRUE(settle()) << c.name;
        EXPECT_EQ(page->DatePicker->date().year(), 2000 + c.year) << c.name;
        EXPECT_TRUE(dialogs.shown.empty()) << c.name;
    }
}

// The page starts with the defaults on it, but they are nobody's choice: a write before any read
// reads what it lacks first and gives the instrument only what the user changed.
TEST_F(SettingsOnSimulator, AWriteBeforeAnyReadSendsOnlyWhatTheUserChanged) {
    TDeviceSettings own = InstrumentsOwnSettings();
    own.Year = 26;
    putSettings(own);
    page->cfgApprox->setValue(4);
    page->WriteConf->click();
    ASSERT_TRUE(settle());
    const std::vector<std::string> requests = Requests(instrument);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests[0], "10;16;2;4;");
    TDeviceSettings expected = own;
    expected.Averaging = 4;
    EXPECT_EQ(instrumentSettings(), Bytes(expected));
    EXPECT_TRUE(dialogs.shown.empty());
}

// A factory number the record cannot hold stops the write with the page's message, the focus on
// its edit, before anything goes out.
TEST_F(SettingsOnSimulator, AFactoryNumberBeyondTheRecordStopsTheWrite) {
    window->SelectPage(window->Pages->indexOf(page));
    window->activateWindow();
    QCoreApplication::processEvents();
    putSettings(InstrumentsOwnSettings());
    page->ReadConf->click();
    ASSERT_TRUE(settle());
    const std::vector<std::uint8_t> before = instrumentSettings();
    const struct {
        const char* name;
        std::function<void()> enter;
        QLineEdit* edit;
    } cases[] = {
        {"an old project", [&] { openProject("[FrameZKV_Settings1]\r\ncfgNo_2=123456789012\r\n"); },
         page->cfgNo_2},
        {"typed, just beyond", [&] { page->cfgNo_2->setText("2147483648"); }, page->cfgNo_2},
        {"pasted, below", [&] { page->cfgNo_2->setText("-2147483649"); }, page->cfgNo_2},
    };
    for (const auto& c : cases) {
        page->ReadConf->click();
        ASSERT_TRUE(settle()) << c.name;
        c.enter();
        instrument.clearRequests();
        dialogs.shown.clear();
        page->WriteConf->click();
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Указаны неверные значения!")}) << c.name;
        EXPECT_TRUE(c.edit->hasFocus()) << c.name;
        EXPECT_LT(TimeoutTicks, 0) << c.name << ": no answer awaited";
        host.service(0);
        EXPECT_TRUE(instrument.requests().empty()) << c.name;
        EXPECT_EQ(instrumentSettings(), before) << c.name;
    }
    page->ReadConf->click();
    ASSERT_TRUE(settle());
    page->cfgNo_2->setText("2147483647");
    dialogs.shown.clear();
    page->WriteConf->click();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(instrument.blockAt(2, 16 + 36, 4), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0x7F}));
}

// Limits the user cannot type (a type 43 reference reports its own range) neither stop the write
// nor change the record's, however the range answers came.
TEST_F(SettingsOnSimulator, AType43ReferenceWithABrokenRangeAnswerDoesNotBlockTheWrite) {
    const TDeviceSettings own = InstrumentsOwnSettings();
    const struct {
        const char* name;
        const char* low;  // the answers to the range registers 266 and 270, or null for the real ones
        const char* high;
    } cases[] = {{"broken range", "---", "E"}, {"a range reported", nullptr, nullptr}};
    for (const auto& c : cases) {
        putSettings(own);
        instrument.clearFaults();
        if (c.low) {
            instrument.pushFault(Fault::Delay(0), 4);  // the record's two blocks, the type and unit
            instrument.pushFault(Fault::AnswerWith(c.low));
            instrument.pushFault(Fault::AnswerWith(c.high));
        }
        page->ReadConf->click();
        ASSERT_TRUE(settle()) << c.name;
        ASSERT_TRUE(page->ebLowEtl->isReadOnly()) << c.name;
        EXPECT_EQ(page->ebLowEtl->text(), c.low ? c.low : "0.000000") << c.name;
        page->cfgApprox->setValue(9);
        dialogs.shown.clear();
        page->WriteConf->click();
        ASSERT_TRUE(settle()) << c.name;
        EXPECT_TRUE(dialogs.shown.empty()) << c.name;
        TDeviceSettings expected = own;
        expected.Averaging = 9;
        EXPECT_EQ(instrumentSettings(), Bytes(expected)) << c.name;
    }
}

}  // namespace
