#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/setup/frame_tune.h"
#include "link/device_scan.h"
#include "link/find_device_frame.h"
#include "link/my_comm.h"
#include "platform/class_library/utf8_literal.h"
#include "sim/hosts.h"
#include "sim/instrument.h"
#include "tests/app/window_fixture.h"

namespace {

const QString kNoLink = U("Нет связи с устройством!");
const QString kLinkUp = U("Cвязь с устройством установлена.");

// The window, built headless, with a simulated instrument on a pseudo-terminal published as COM3.
class ConnectionPageInWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform::SetComOpener({});
        ASSERT_TRUE(host.publish(ports.path(), 3));
        platform::SetClockHooks({{},
                                 [this](unsigned ms) {
                                     slept.push_back(ms);
                                     if (ms == kScanWaitMs) AnswerBroadcast();
                                 },
                                 {}});
        start();
        page = window->FrameFindDevice;
        dialogs.shown.clear();
    }
    void TearDown() override {
        window.reset();
        WindowTest::TearDown();
    }

    void AnswerBroadcast() {
        if (!ScanHandles[3]) return;
        const int replyBytes =
            static_cast<int>(sim::Instrument::ErrorAnswer(instrument.address(), 70).size());
        EXPECT_TRUE(testing_support::WaitUntil([&] {
            host.service(0);
            return !instrument.requests().empty() && !instrument.hasPendingOutput();
        }));
        EXPECT_TRUE(testing_support::WaitUntil([&] { return ScanHandles[3]->available() >= replyBytes; }));
    }

    // The line moves while an answer is awaited, the window's countdown only while none is.
    bool runLinkCheck() {
        for (int tick = 0; tick < 300 && WorkState == WorkLinkCheck; ++tick) {
            if (TimeoutTicks < 0) {
                window->TimerRSTimeoutTimer();
                continue;
            }
            if (!testing_support::WaitUntil([&] {
                    host.service(0);
                    window->TimerRxTimer();
                    return TimeoutTicks < 0 || WorkState != WorkLinkCheck;
                }))
                return false;
        }
        return WorkState == WorkIdle;
    }

    testing_support::PortsFolderScope ports;
    sim::Instrument instrument{5};
    sim::PtyHost host{instrument};
    TFrameFindDevice* page = nullptr;
};

TEST_F(ConnectionPageInWindow, TheLinkCheckPutsTheFactoryNumberOnTheSetUpPageAndKeepsPortAndAddress) {
    instrument.setWord(3, 30, 321);
    page->cbCOM_Start->setCurrentIndex(1);
    page->cbCOM_End->setCurrentIndex(3);

    page->StartSearchClick(nullptr);

    ASSERT_EQ(WorkState, WorkLinkCheck) << "the one instrument found is checked at once";
    EXPECT_EQ(window->StatusPanelText(2), U("Проверка связи"));
    ASSERT_TRUE(runLinkCheck());
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kLinkUp});
    EXPECT_TRUE(LinkUp);
    EXPECT_EQ(DevAddr, 5);
    EXPECT_EQ(window->Comm->PortNumber, 3);
    EXPECT_EQ(window->FrameTune1->edZavNoZKV->text(), "321");
    EXPECT_EQ(instrument.requests().front(), "0;0;");
    EXPECT_EQ(instrument.requests().at(1), "5;11;1;0;1;1;");
    EXPECT_EQ(instrument.requests().at(2), "5;10;16;2;4;") << "the settings read follows";
    EXPECT_EQ(instrument.requests().back(), "5;10;30;3;2;");
    EXPECT_EQ(window->StatusPanelText(0), U("Есть связь"));
    EXPECT_EQ(window->StatusPanelText(2), "") << "the end of the work empties the operation name";
    EXPECT_TRUE(page->CheckLink->isEnabled());
}

using ConnectionPageOnMemoryLine = WindowTest;

// A page change ends every one-shot exchange and switches the answer time-out off; the link check
// waiting for its first answer must still come to an end.
TEST_F(ConnectionPageOnMemoryLine, APageChangeWhileTheLinkCheckWaitsCannotLeaveItRunning) {
    start();
    dialogs.shown.clear();
    TFrameFindDevice* page = window->FrameFindDevice;
    auto* row = new QTreeWidgetItem(page->ListView1);
    row->setText(1, "COM1");
    row->setText(2, "1");
    page->ListView1->setCurrentItem(row);
    page->CheckLinkClick(nullptr);
    ASSERT_EQ(WorkState, WorkLinkCheck);
    EXPECT_TRUE(line.takeFromHost().starts_with("\xff:1;11;1;0;1;1;"));

    window->Pages->setCurrentIndex(3);
    ASSERT_EQ(TimeoutTicks, -1);
    ASSERT_FALSE(window->Comm->IsOpen());

    for (int tick = 0; tick < 20; ++tick) window->TimerRSTimeoutTimer();
    EXPECT_EQ(WorkState, WorkLinkCheck);
    window->TimerRSTimeoutTimer();
    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kNoLink});
    EXPECT_FALSE(LinkUp);
    EXPECT_TRUE(page->CheckLink->isEnabled());
    EXPECT_EQ(DelayTicks, -1);
}

}  // namespace
