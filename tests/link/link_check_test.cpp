#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "link/link_check.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/link/exchange_fixture.h"
#include "tests/support/printers.h"

namespace {

// The link check's step machine alone, on an in-memory port, with no page around it.
class LinkCheckMachine : public ExchangeTest {
protected:
    void SetUp() override {
        ExchangeTest::SetUp();
        RegisterWork(WorkLinkCheck, [this](std::uint16_t event, const WorkInput& input) { check.Step(event, input); });
    }
    void TearDown() override {
        RegisterWork(WorkLinkCheck, {});
        ExchangeTest::TearDown();
    }

    LinkCheckHooks hooks;
    std::vector<bool> locks;
    LinkCheck check{hooks, [this](bool on) { locks.push_back(on); }};
};

TEST_F(LinkCheckMachine, EndsOnAStopTheAnswerTimeOutOrItsGuardAndUnlocksTheControls) {
    const struct {
        const char* what;
        bool timeOutSwitchedOff;  // as a page change does
        int ticksStillRunning;
        std::function<void()> end;
        std::vector<QString> shown;
    } cases[] = {
        {"a stop", false, 0, [] { PostWorkEvent(EvStop); }, {}},
        {"the answer time-out", false, AnswerTimeoutTicks, [] { TimerRSTimeoutTimer(); }, {U("Нет связи с устройством!")}},
        {"the guard", true, 2 * AnswerTimeoutTicks, [] { TimerRSTimeoutTimer(); }, {U("Нет связи с устройством!")}},
    };
    for (const auto& c : cases) {
        locks.clear();
        dialogs.shown.clear();
        WorkState = WorkLinkCheck;
        PostWorkEvent(EvStart);
        EXPECT_TRUE(line.takeFromHost().starts_with("\xff:1;11;1;0;1;1;")) << c.what;
        if (c.timeOutSwitchedOff) TimeoutTicks = -1;
        countdown(c.ticksStillRunning);
        EXPECT_EQ(WorkState, WorkLinkCheck) << c.what;
        EXPECT_EQ(locks, std::vector<bool>{true}) << c.what;

        c.end();
        EXPECT_EQ(WorkState, WorkIdle) << c.what;
        EXPECT_EQ(dialogs.texts(), c.shown) << c.what;
        EXPECT_EQ(locks, (std::vector<bool>{true, false})) << c.what;
        EXPECT_EQ(TimeoutTicks, -1) << c.what;
        EXPECT_EQ(DelayTicks, -1) << c.what;
        EXPECT_FALSE(LinkUp) << c.what;
    }
}

TEST_F(LinkCheckMachine, WaitsInTheSettingsReadUntilTheSettingsPageHasReadEverything) {
    // The settings page's stage machine: two more answers after the first, then done.
    int stage = -1;
    std::vector<std::string> settingsAnswers;
    hooks.setSettingsStage = [&](int value) { stage = value; };
    hooks.settingsStage = [&] { return stage; };
    hooks.rxSettings = [&](const char* data) {
        settingsAnswers.push_back(data);
        stage = stage >= 3 ? 0 : stage + 1;
    };
    QString factoryNumber;
    hooks.setFactoryNumber = [&](const QString& text) { factoryNumber = text; };
    const auto answer = [](const char* text) { PostWorkEvent(EvAnswer, {text, nullptr}); };

    WorkState = WorkLinkCheck;
    PostWorkEvent(EvStart);
    EXPECT_TRUE(line.takeFromHost().starts_with("\xff:1;11;1;0;1;1;"));
    answer("");  // to the opening write
    EXPECT_TRUE(line.takeFromHost().starts_with("\xff:1;10;16;2;4;"));
    EXPECT_EQ(WorkStep, 2);
    answer("block 1");
    EXPECT_EQ(WorkStep, 3);
    EXPECT_EQ(stage, 2);
    answer("block 2");
    EXPECT_EQ(WorkStep, 3) << "the settings page is not done";
    EXPECT_EQ(line.takeFromHost(), "") << "no factory number read yet";
    answer("block 3");
    EXPECT_EQ(stage, 0);
    EXPECT_EQ(WorkStep, 4);
    EXPECT_TRUE(line.takeFromHost().starts_with("\xff:1;10;30;3;2;")) << "the factory number is read now";
    EXPECT_EQ(settingsAnswers, (std::vector<std::string>{"block 1", "block 2", "block 3"}));
    answer("00042");
    EXPECT_EQ(factoryNumber, "00042");
    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_EQ(locks, (std::vector<bool>{true, false}));
}

}  // namespace
