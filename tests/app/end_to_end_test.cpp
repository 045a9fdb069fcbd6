#include <gtest/gtest.h>

#include <QLineEdit>

#include "link/my_comm.h"
#include "link/protocol.h"
#include "sim/hosts.h"
#include "sim/instrument.h"
#include "tests/app/window_fixture.h"

namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

// The window, built headless, on a real pseudo-terminal published as COM1 with the simulated
// instrument behind it. The test moves the line and the timers itself.
class WindowOnSimulator : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform::SetComOpener({});
        ASSERT_TRUE(host.publish(ports.path(), 1));
        start();
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

    testing_support::PortsFolderScope ports;
    sim::Instrument instrument{1};
    sim::PtyHost host{instrument};
};

TEST_F(WindowOnSimulator, AOneShotAnswerLandsInTheRequestingEdit) {
    QLineEdit edit;
    instrument.setWord(3, 30, 4711);
    Requester = &edit;
    UiExchange = true;
    ASSERT_NE(SendRequest(*window->Comm, static_cast<std::uint8_t>(DevAddr), CmdRead, 30, 3, 2), 0);
    EXPECT_TRUE(pumpUntil([&] { return !edit.text().isEmpty(); }));
    EXPECT_EQ(edit.text(), "4711");
    EXPECT_EQ(window->StatusPanelText(0), U("Есть связь"));
    EXPECT_EQ(Requester, nullptr);
    EXPECT_FALSE(window->Comm->IsOpen()) << "the port is free between exchanges";
    EXPECT_EQ(instrument.requests(), std::vector<std::string>{"1;10;30;3;2;"});
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(WindowOnSimulator, ASilentInstrumentEndsTheExchangeWithNoLink) {
    QLineEdit edit;
    instrument.pushFault(sim::Fault::Mute());
    Requester = &edit;
    UiExchange = true;
    SendRequest(*window->Comm, static_cast<std::uint8_t>(DevAddr), CmdRead, 30, 3, 2);
    ASSERT_TRUE(testing_support::WaitUntil([&] {
        host.service(0);
        return !instrument.requests().empty();
    }));
    for (int tick = 0; tick < 11; ++tick) {
        host.service(0);
        window->TimerRxTimer();
        window->TimerRSTimeoutTimer();
    }
    ASSERT_EQ(dialogs.texts(), std::vector<QString>{U("Нет связи с устройством!")});
    EXPECT_EQ(window->StatusPanelText(0), U("Нет связи"));
    EXPECT_EQ(edit.text(), "");
    EXPECT_FALSE(window->Comm->IsOpen());
}

}  // namespace
