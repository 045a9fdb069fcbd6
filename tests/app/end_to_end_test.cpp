#include <gtest/gtest.h>

#include <QLineEdit>

#include "link/my_comm.h"
#include "link/protocol.h"
#include "platform/class_library/utf8_literal.h"
#include "sim/hosts.h"
#include "sim/instrument.h"
#include "tests/app/simulator_window_fixture.h"

namespace {

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
