#pragma once

#include <functional>

#include "sim/hosts.h"
#include "sim/instrument.h"
#include "tests/app/window_fixture.h"

// The window, built headless, on a real pseudo-terminal published as COM1 with the simulated
// instrument behind it. The test moves the line and the timers itself.
class WindowOnSimulator : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform::SetComOpener({});
        ASSERT_TRUE(host.publish(ports.path(), 1));
        start();
        dialogs.shown.clear();
    }
    void TearDown() override {
        window.reset();
        WindowTest::TearDown();
    }
    // Pump ticks until the condition holds, with the instrument answering in between.
    bool pumpUntil(const std::function<bool()>& done) {
        return testing_support::WaitUntil([&] {
            host.service(0);
            window->TimerRxTimer();
            return done();
        });
    }
    void countdown(int ticks) {
        for (int i = 0; i < ticks; ++i) window->TimerRSTimeoutTimer();
    }

    testing_support::PortsFolderScope ports;
    sim::Instrument instrument{1};
    sim::PtyHost host{instrument};
};
