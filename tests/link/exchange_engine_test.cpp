#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <filesystem>
#include <functional>
#include <memory>

#include "link/my_comm.h"
#include "link/protocol.h"
#include "platform/serial/pseudo_terminal.h"
#include "sim/instrument.h"
#include "tests/link/exchange_fixture.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

using sim::Instrument;

namespace {

const QString kNoLink = QString::fromUtf8("Нет связи с устройством!");

class Engine : public testing_support::WithApplication, public ExchangeTest {
protected:
    // A page's one-shot read, as the pages start it.
    void startOneShot(QObject* requester) {
        Requester = requester;
        UiExchange = true;
        SendRequest(port, 1, CmdRead, 30, 3, 2);
        line.takeFromHost();
    }
    void answer(const std::string& frame) { line.sendToHost(frame); }

    QLineEdit edit;
};

TEST_F(Engine, AnUnansweredOneShotTimesOutOnTheEleventhTick) {
    startOneShot(&edit);
    bool hookRan = false;
    RegisterAnswerRoute({&edit, {}, AfterAnswer::Ends, ErrorTreatment::Standard, {}, [&] {
                             EXPECT_EQ(dialogs.shown.size(), 1u) << "the hook runs after the box";
                             hookRan = true;
                         }});
    countdown(10);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(port.IsOpen());
    countdown(1);
    ASSERT_EQ(dialogs.texts(), std::vector<QString>{kNoLink});
    EXPECT_EQ(dialogs.shown[0].type, platform::MsgDlgType::Error);
    EXPECT_FALSE(UiExchange);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(linkState, false);
    EXPECT_EQ(Requester, &edit) << "the time-out leaves the requester for the next exchange to overwrite";
    EXPECT_TRUE(hookRan);
    countdown(20);
    EXPECT_EQ(dialogs.shown.size(), 1u) << "it fires once";
}

TEST_F(Engine, AWorksTimeOutIsAnEvent) {
    recordWork(WorkLinkCheck);
    SendRequest(port, 1, CmdRead, 30, 3, 2);
    countdown(11);
    ASSERT_EQ(workEvents.size(), 1u);
    EXPECT_EQ(workEvents[0].event, EvTimeout);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Engine, ADelayOfNFiresOnTheNPlusFirstTick) {
    recordWork(WorkMeasurement);
    DelayTicks = 3;
    countdown(3);
    EXPECT_TRUE(workEvents.empty());
    countdown(1);
    ASSERT_EQ(workEvents.size(), 1u);
    EXPECT_EQ(workEvents[0].event, EvDelay);
    EXPECT_EQ(DelayTicks, -1);
}

TEST_F(Engine, TheTimeOutIsCountedBeforeTheDelayWithinOneTick) {
    struct Case {
        const char* what;
        bool stopsOnTimeOut;
        std::vector<std::uint16_t> events;
    } cases[] = {
        {"both reach the work, the time-out first", false, {EvTimeout, EvDelay}},
        {"a work that stops on its time-out never sees the delay", true, {EvTimeout}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint16_t> events;
        RegisterWork(WorkMeasurement, [&](std::uint16_t event, const WorkInput&) {
            events.push_back(event);
            if (event == EvTimeout && c.stopsOnTimeOut) StopWork();
        });
        WorkState = WorkMeasurement;
        TimeoutTicks = 3;
        DelayTicks = 3;
        countdown(3);
        EXPECT_TRUE(events.empty()) << c.what;
        countdown(1);
        EXPECT_EQ(events, c.events) << c.what;
    }
}

TEST_F(Engine, AnAnswerWithABadChecksumChangesNothingUntilTheTimeOut) {
    startOneShot(&edit);
    answer("\xff!1;4711;1\r");
    TimerRxTimer();
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(TimeoutTicks, 10);
    EXPECT_FALSE(linkState.has_value());
    countdown(11);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kNoLink});
}

TEST_F(Engine, ANewerRequestSupersedesTheOlderOne) {
    startOneShot(&edit);
    answer(Instrument::DataAnswer(1, "111"));  // arrived, not yet read
    QLineEdit second;
    startOneShot(&second);                     // the write discards it
    answer(Instrument::DataAnswer(1, "222"));
    TimerRxTimer();
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(second.text(), "222");
}

TEST_F(Engine, TwoAnswersInOneTickBothReachAWorkButOnlyTheFirstARequester) {
    recordWork(WorkMeasurement);
    port.Open();
    answer(Instrument::DataAnswer(1, "4.0125") + Instrument::ErrorAnswer(1, 7));
    TimerRxTimer();
    ASSERT_EQ(workEvents.size(), 2u);
    EXPECT_EQ(workEvents[0].event, EvAnswer);
    EXPECT_EQ(workEvents[0].text, "4.0125");
    EXPECT_EQ(workEvents[1].event, EvErrorAnswer);
    EXPECT_EQ(workEvents[1].error, 7);
    EXPECT_EQ(linkState, true);

    int calls = 0;
    RegisterAnswerRoute({&edit, [&](const char*) { ++calls; }, AfterAnswer::HandlerDecides});
    startOneShot(&edit);
    answer(Instrument::DataAnswer(1, "1") + Instrument::DataAnswer(1, "2"));
    TimerRxTimer();
    TimerRxTimer();
    EXPECT_EQ(calls, 1) << "the bytes after the requester's answer are dropped";
}

TEST_F(Engine, TheRequestersRowDecidesWhatFollowsADataAnswer) {
    struct Case {
        const char* what;
        AfterAnswer after;
        bool handler;
        bool staysOpen;
    } cases[] = {
        {"handler decides", AfterAnswer::HandlerDecides, true, true},
        {"stays open", AfterAnswer::StaysOpen, true, true},
        {"ends", AfterAnswer::Ends, true, false},
        {"ends, text into the edit", AfterAnswer::Ends, false, false},
    };
    for (const Case& c : cases) {
        ClearAnswerRoutes();
        edit.clear();
        std::string received;
        std::function<void(const char*)> handler;
        if (c.handler) handler = [&](const char* data) { received = data; };
        RegisterAnswerRoute({&edit, handler, c.after});
        startOneShot(&edit);
        answer(Instrument::DataAnswer(1, "00042"));
        TimerRxTimer();
        EXPECT_EQ(TimeoutTicks, -1) << c.what;
        if (c.handler) {
            EXPECT_EQ(received, "00042") << c.what;
        } else {
            EXPECT_EQ(edit.text(), "00042") << c.what;
        }
        EXPECT_EQ(port.IsOpen(), c.staysOpen) << c.what;
        EXPECT_EQ(Requester == &edit, c.staysOpen) << c.what;
        EXPECT_EQ(UiExchange, c.staysOpen) << c.what;
        EndExchange();
    }
}

TEST_F(Engine, AControlWithoutARowTakesTheTextAndTheExchangeEnds) {
    startOneShot(&edit);
    answer(Instrument::DataAnswer(1, "0.9987"));
    TimerRxTimer();
    EXPECT_EQ(edit.text(), "0.9987");
    EXPECT_EQ(Requester, nullptr);
    EXPECT_FALSE(UiExchange);
    EXPECT_FALSE(port.IsOpen());
}

// Remembers the exchange's state at the moment a box is shown.
class StateAtBox : public testing_support::ScriptedDialogs {
public:
    int messageDlg(const QString& text, platform::MsgDlgType type, platform::MsgDlgButtons buttons) override {
        requesterAtBox = Requester;
        exchangeAtBox = UiExchange;
        return ScriptedDialogs::messageDlg(text, type, buttons);
    }
    QObject* requesterAtBox = nullptr;
    bool exchangeAtBox = true;
};

TEST_F(Engine, TheStandardErrorTreatmentEndsTheExchangeBeforeItsBox) {
    StateAtBox boxes;
    testing_support::InstalledDialogs scope(boxes);
    std::vector<int> order;
    RegisterAnswerRoute({&edit, [](const char*) {}, AfterAnswer::HandlerDecides, ErrorTreatment::Standard,
                         [&](int code) { order.push_back(code); }});
    startOneShot(&edit);
    answer(Instrument::ErrorAnswer(1, 8));
    TimerRxTimer();
    EXPECT_EQ(order, std::vector<int>{8}) << "the row's own step comes first";
    ASSERT_EQ(boxes.texts(), std::vector<QString>{QString::fromUtf8("Запись запрещена")});
    EXPECT_EQ(boxes.requesterAtBox, nullptr);
    EXPECT_FALSE(boxes.exchangeAtBox);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(Requester, nullptr);
}

TEST_F(Engine, ADroppedErrorLeavesTheExchangeOpenWithTheTimeOutOff) {
    QLabel group;
    RegisterAnswerRoute({&group, [](const char*) {}, AfterAnswer::HandlerDecides, ErrorTreatment::Dropped});
    startOneShot(&group);
    answer(Instrument::ErrorAnswer(1, 10));
    TimerRxTimer();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Requester, &group);
    EXPECT_TRUE(UiExchange);
    EXPECT_EQ(TimeoutTicks, -1);
    countdown(30);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Engine, AnErrorThatEndsSilentlyClosesTheExchangeWithoutABox) {
    QLabel group;
    int data = 0;
    RegisterAnswerRoute({&group, [&](const char*) { ++data; }, AfterAnswer::HandlerDecides,
                         ErrorTreatment::EndsSilently});
    startOneShot(&group);
    answer(Instrument::ErrorAnswer(1, 10));
    TimerRxTimer();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(data, 0);
    EXPECT_EQ(Requester, nullptr);
    EXPECT_FALSE(UiExchange);
    EXPECT_FALSE(port.IsOpen());
    countdown(30);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Engine, AWriteWithoutRequesterEndsAtItsAnswerAndShowsAnError) {
    Requester = nullptr;
    UiExchange = true;
    SendRequest(port, 1, CmdWrite, 49, 0, 1, 0);
    answer(Instrument::ErrorAnswer(1, 9));
    TimerRxTimer();
    EXPECT_FALSE(UiExchange);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{QString::fromUtf8("Ошибка записи")});
}

TEST_F(Engine, AnAnswerNobodyWaitsForOnlyTouchesTheStatusBar) {
    port.Open();
    answer(Instrument::DataAnswer(1, "1"));
    TimerRxTimer();
    EXPECT_EQ(linkState, true);
    EXPECT_EQ(panel1Cleared, 1);
    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(port.IsOpen());

    WorkState = 17;  // no such work
    PostWorkEvent(EvTimeout);
    EXPECT_EQ(WorkState, WorkIdle);
}

TEST_F(Engine, StatusPanelOneIsEmptiedByAStopAndWhenNoWorkRuns) {
    const struct {
        std::uint8_t work;  // the work running when the event comes; it keeps running
        std::uint16_t event;
        int emptied;
    } cases[] = {
        {WorkMeasurement, EvStop, 1},      {WorkLinkCheck, EvStop, 1},      {WorkMeasurement, EvAnswer, 0},
        {WorkMeasurement, EvDelay, 0},     {WorkLinkCheck, EvStart, 0},     {WorkIdle, EvAnswer, 1},
        {WorkIdle, EvStop, 1},
    };
    for (const auto& c : cases) {
        recordWork(c.work);
        panel1Cleared = 0;
        PostWorkEvent(c.event);
        EXPECT_EQ(WorkState, c.work) << int(c.work) << " event " << c.event;
        EXPECT_EQ(panel1Cleared, c.emptied) << int(c.work) << " event " << c.event;
    }
}

TEST_F(Engine, TheReceivePumpReadsNoMoreThanItsBufferLessTwo) {
    port.Open();
    line.sendToHost(std::string(500, 'x'));
    TimerRxTimer();
    EXPECT_EQ(line.pendingToHost(), 500u - (kPumpBufferSize - 2));
}

TEST_F(Engine, StopWorkEndsEverything) {
    recordWork(WorkMeasurement);
    SendRequest(port, 1, CmdRead, 30, 3, 2);
    DelayTicks = 5;
    workName = 8;
    StopWork();
    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_EQ(WorkStep, 0);
    EXPECT_EQ(TimeoutTicks, -1);
    EXPECT_EQ(DelayTicks, -1);
    EXPECT_EQ(workName, 0);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(Engine, PutAnswerToControlWritesOnlyIntoAPlainEdit) {
    class DerivedEdit : public QLineEdit {};
    DerivedEdit derived;
    QLabel label;
    EXPECT_EQ(PutAnswerToControl(&edit, "12.5"), 0);
    EXPECT_EQ(edit.text(), "12.5");
    EXPECT_EQ(PutAnswerToControl(&derived, "12.5"), 0);
    EXPECT_EQ(derived.text(), "");
    EXPECT_EQ(PutAnswerToControl(&label, "12.5"), 0);
    EXPECT_EQ(label.text(), "");
    EXPECT_EQ(PutAnswerToControl(nullptr, "1"), -1);
    EXPECT_EQ(PutAnswerToControl(&edit, nullptr), -1);
}

TEST_F(Engine, ReopenPortClosesAndOpensAgain) {
    EXPECT_EQ(ReopenPort(port), 0);
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(slept.empty()) << "a closed port is just opened";
    EXPECT_EQ(ReopenPort(port), 0);
    EXPECT_EQ(slept, (std::vector<unsigned>{1, 200})) << "the close pauses 1 ms, the reopen waits 200";
    EXPECT_EQ(line.openCount(), 2);
    port.Close();
    refuseOpen = true;
    EXPECT_EQ(ReopenPort(port), 0) << "a port that simply will not open still gives 0";
    EXPECT_FALSE(port.IsOpen());
}

// The engine on a published pseudo-terminal whose far end can go away, as an unplugged adapter's does.
class EngineOnAVanishingLine : public Engine {
protected:
    void SetUp() override {
        Engine::SetUp();
        platform::SetComOpener({});
        ASSERT_TRUE(farEnd->ok());
        std::filesystem::create_symlink(farEnd->devicePath(), ports.path() + "/COM5");
        port.PortNumber = 5;
    }

    testing_support::PortsFolderScope ports;
    testing_support::LockFolderScope locks;
    std::unique_ptr<platform::PseudoTerminal> farEnd = std::make_unique<platform::PseudoTerminal>();
};

TEST_F(EngineOnAVanishingLine, ReadsFailAndTheOneShotEndsThroughItsTimeOut) {
    Requester = &edit;
    UiExchange = true;
    ASSERT_NE(SendRequest(port, 1, CmdRead, 30, 3, 2), 0);
    ASSERT_TRUE(port.IsOpen());
    farEnd.reset();

    char buffer[kPumpBufferSize];
    EXPECT_EQ(ReadComPort(port.Handle, buffer, kPumpBufferSize), -2);
    for (int tick = 0; tick < 10; ++tick) {
        TimerRxTimer();
        TimerRSTimeoutTimer();
    }
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(UiExchange) << "a failing read ends nothing by itself";
    EXPECT_FALSE(linkState.has_value());
    TimerRxTimer();
    TimerRSTimeoutTimer();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kNoLink});
    EXPECT_FALSE(UiExchange);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(linkState, false);
}

}  // namespace
