#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/answer_parser.h"
#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "platform/system/clock.h"
#include "tests/link/memory_port_fixture.h"
#include "tests/support/link_state.h"
#include "tests/support/scripted_dialogs.h"

// The exchange engine over an in-memory port, with its dialogs recorded, its status bar
// recorded, sleeps counted instead of slept and every shared variable back at its start value.
class ExchangeTest : public MemoryPortTest {
protected:
    void SetUp() override {
        MemoryPortTest::SetUp();
        testing_support::ResetExchangeState();
        AnswerParser = TAnswerParser{};
        AnswerParser.Data = answerBuffer;
        ResetAnswerParser(AnswerParser);
        SetExchangeStatus({[this](bool up) { linkState = up; }, [this](int n) { workName = n; },
                           [this] { ++panel1Cleared; }});
        previousClock = platform::SetClockHooks({{}, [this](unsigned ms) { slept.push_back(ms); }, {}});
    }
    void TearDown() override {
        platform::SetClockHooks(previousClock);
        testing_support::ResetExchangeState();
        AnswerParser.Data = nullptr;
        MemoryPortTest::TearDown();
    }

    // Runs that many ticks of the 100 ms countdown.
    void countdown(int ticks) {
        for (int i = 0; i < ticks; ++i) TimerRSTimeoutTimer();
    }

    // A work that keeps every event it is given.
    struct Seen {
        std::uint16_t event;
        std::string text;
        int error;
    };
    void recordWork(std::uint8_t state) {
        RegisterWork(state, [this](std::uint16_t event, const WorkInput& input) {
            workEvents.push_back({event, input.text ? input.text : "", input.parser ? input.parser->Error : 0});
        });
        WorkState = state;
    }

    char answerBuffer[kAnswerBufferSize] = {};
    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
    std::optional<bool> linkState;
    int workName = -1;
    int panel1Cleared = 0;
    std::vector<unsigned> slept;
    std::vector<Seen> workEvents;
    platform::ClockHooks previousClock;
};
