#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "link/answer_parser.h"
#include "link/device_scan.h"
#include "link/exchange_engine.h"
#include "link/exchange_state.h"
#include "link/find_device_frame.h"
#include "link/my_comm.h"
#include "link/protocol.h"
#include "platform/class_library/utf8_literal.h"
#include "platform/serial/com_ports.h"
#include "platform/serial/memory_line.h"
#include "platform/serial/serial_line.h"
#include "platform/system/clock.h"
#include "sim/hosts.h"
#include "sim/instrument.h"
#include "tests/support/link_state.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

using sim::Fault;
using sim::Instrument;
using testing_support::WaitUntil;

namespace {

const QString kNoLink = U("Нет связи с устройством!");
const QString kLinkUp = U("Cвязь с устройством установлена.");

using Rows = std::vector<std::pair<QString, QString>>;

// The settings page as the link check drives it: from stage 1 it asks for the reference type,
// and the answer to that ends the read.
struct SettingsPageStandIn {
    int stage = 0;
    bool readsOn = true;  // false: every call ends the read at once, sending nothing
    int silentCalls = 0;  // this many first calls neither send nor end the read
    std::vector<int> stagesSet;
    std::vector<std::string> answers;

    void rx(const char* data) {
        answers.emplace_back(data);
        if (silentCalls > 0) {
            --silentCalls;
            return;
        }
        if (readsOn && stage == 1) {
            SendRequest(*MainPort, static_cast<std::uint8_t>(DevAddr), CmdRead, 259, 0, 1);
            stage = 2;
            return;
        }
        Requester = nullptr;
        UiExchange = false;
        stage = 0;
    }
};

// The connection page on its own, over simulated instruments on pseudo-terminals published as COM
// ports in a folder of the test's own. The scan's wait is where the instruments answer; the test
// moves the line and the timers itself.
class ConnectionPage : public testing_support::WithApplication, public ::testing::Test {
protected:
    struct Site {
        explicit Site(int address) : instrument(address) {}
        Instrument instrument;
        sim::PtyHost host{instrument};
        int port = 0;
        std::size_t replyBytes = 0;  // what the instrument sends back to the broadcast
    };

    void SetUp() override {
        MainPort = &port;
        AnswerParser = TAnswerParser{};
        AnswerParser.Data = answerBuffer;
        ResetAnswerParser(AnswerParser);
        testing_support::ResetExchangeState();
        previousClock = platform::SetClockHooks({{},
                                                 [this](unsigned ms) {
                                                     if (ms == kScanWaitMs) AnswerBroadcast();
                                                 },
                                                 {}});
        frame = std::make_unique<TFrameFindDevice>();
        frame->Hooks = {
            .setSettingsStage =
                [this](int stage) {
                    settings.stage = stage;
                    settings.stagesSet.push_back(stage);
                },
            .settingsStage = [this] { return settings.stage; },
            .rxSettings = [this](const char* data) { settings.rx(data); },
            .setFactoryNumber = [this](const QString& text) { factoryNumber.setText(text); },
            .showWorkName = [this](int index) { workNames.push_back(index); },
        };
    }
    void TearDown() override {
        frame.reset();
        RegisterWork(WorkLinkCheck, {});
        platform::SetClockHooks(previousClock);
        platform::SetComOpener({});
        port.Close();
        MainPort = nullptr;
        AnswerParser.Data = nullptr;
        WorkState = WorkIdle;
    }

    Site& addInstrument(int portNumber, int address) {
        sites.push_back(std::make_unique<Site>(address));
        Site& site = *sites.back();
        site.port = portNumber;
        site.replyBytes = Instrument::ErrorAnswer(address, 70).size();
        EXPECT_TRUE(site.host.publish(ports.path(), portNumber));
        return site;
    }

    // Each instrument whose port the scan opened takes the broadcast and answers; the wait ends
    // when its answer has reached the scan's handle.
    void AnswerBroadcast() {
        for (const auto& site : sites) {
            if (!ScanHandles[site->port]) continue;
            EXPECT_TRUE(WaitUntil([&] {
                site->host.service(0);
                return !site->instrument.requests().empty() && !site->instrument.hasPendingOutput();
            }));
            if (site->replyBytes == 0) continue;
            EXPECT_TRUE(WaitUntil(
                [&] { return ScanHandles[site->port]->available() >= static_cast<int>(site->replyBytes); }));
        }
    }

    void chooseRange(int first, int last) {
        frame->cbCOM_Start->setCurrentIndex(first - 1);
        frame->cbCOM_End->setCurrentIndex(last - 1);
    }

    Rows rows() const {
        Rows shown;
        for (int i = 0; i < frame->ListView1->topLevelItemCount(); ++i)
            shown.emplace_back(frame->ListView1->topLevelItem(i)->text(1),
                               frame->ListView1->topLevelItem(i)->text(2));
        return shown;
    }

    void addRow(const char* portText, const char* addressText) {
        auto* row = new QTreeWidgetItem(frame->ListView1);
        row->setText(1, U(portText));
        row->setText(2, U(addressText));
        frame->ListView1->setCurrentItem(row);
    }

    // Lets every instrument answer and the pump take the answers until the condition holds.
    bool pumpUntil(const std::function<bool()>& done) {
        return WaitUntil([&] {
            for (const auto& site : sites) site->host.service(0);
            TimerRxTimer();
            return done();
        });
    }

    // Runs the link check to its end: the line moves while an answer is awaited, the countdown
    // only while none is.
    bool runLinkCheck() {
        for (int tick = 0; tick < 300 && WorkState == WorkLinkCheck; ++tick) {
            if (TimeoutTicks >= 0) {
                if (!pumpUntil([] { return TimeoutTicks < 0 || WorkState != WorkLinkCheck; })) return false;
            } else {
                TimerRSTimeoutTimer();
            }
        }
        return WorkState == WorkIdle;
    }

    bool received(Site& site, std::size_t count) {
        return WaitUntil([&] {
            site.host.service(0);
            return site.instrument.requests().size() >= count;
        });
    }

    testing_support::PortsFolderScope ports;
    std::vector<std::unique_ptr<Site>> sites;
    TMyComm port;
    char answerBuffer[kAnswerBufferSize] = {};
    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
    platform::ClockHooks previousClock;
    SettingsPageStandIn settings;
    QLineEdit factoryNumber;
    std::vector<int> workNames;
    std::unique_ptr<TFrameFindDevice> frame;
};

TEST_F(ConnectionPage, IsBuiltWithItsControls) {
    EXPECT_EQ(frame->objectName(), "FrameFindDevice");
    EXPECT_EQ(frame->Label1->text(), U("Диапазон СOM-портов"));
    EXPECT_TRUE(frame->Label1->font().bold());
    for (QComboBox* combo : {frame->cbCOM_Start, frame->cbCOM_End}) {
        ASSERT_EQ(combo->count(), 255);
        EXPECT_EQ(combo->itemText(0), "COM1");
        EXPECT_EQ(combo->itemText(254), "COM255");
        EXPECT_EQ(combo->currentIndex(), -1) << "nothing is chosen at start";
        EXPECT_FALSE(combo->isEditable());
    }
    EXPECT_EQ(frame->StartSearch->text(), U("   Начать поиск"));
    EXPECT_EQ(frame->StartSearch->toolTip(), U("Начать поиск ЗУРМ-5 в выбранном диапазоне COM-портов"));
    EXPECT_TRUE(frame->StopSearch->isHidden());
    EXPECT_TRUE(frame->Label3->isHidden());
    EXPECT_TRUE(frame->LabelFindProcess->isHidden());
    EXPECT_EQ(frame->Label5->text(), U("Найдено"));
    QTreeWidgetItem* header = frame->ListView1->headerItem();
    EXPECT_EQ(header->text(0), U(" СОМ-порт "));
    EXPECT_EQ(header->text(1), U("СОМ-порт "));
    EXPECT_EQ(header->text(2), U("Адрес"));
    EXPECT_EQ(frame->ListView1->columnWidth(0), 0);
    EXPECT_EQ(frame->ListView1->columnWidth(1), 100);
    EXPECT_EQ(frame->ListView1->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(frame->CheckLink->text(), U("Проверить связь"));
    EXPECT_EQ(frame->CheckLink->property("Tag").toInt(), 100000);
    EXPECT_FALSE(frame->CheckLink->isEnabled());
    EXPECT_EQ(frame->TimerUI->interval(), 300);
}

TEST_F(ConnectionPage, TheRangeNeverRunsBackwards) {
    chooseRange(5, 8);
    frame->cbCOM_Start->setCurrentIndex(9);
    emit frame->cbCOM_Start->activated(9);
    EXPECT_EQ(frame->cbCOM_End->currentIndex(), 9) << "the end moves up to the start";
    frame->cbCOM_End->setCurrentIndex(2);
    emit frame->cbCOM_End->activated(2);
    EXPECT_EQ(frame->cbCOM_Start->currentIndex(), 2) << "the start moves down to the end";
    frame->cbCOM_End->setCurrentIndex(6);
    emit frame->cbCOM_End->activated(6);
    EXPECT_EQ(frame->cbCOM_Start->currentIndex(), 2) << "a forward range stays as chosen";
}

TEST_F(ConnectionPage, ScansTheChosenRangeOrOnlyCom1) {
    std::vector<std::string> opened;
    platform::SetComOpener([&](const std::string& name) -> std::unique_ptr<platform::ByteStream> {
        opened.push_back(name);
        return nullptr;
    });
    chooseRange(3, 5);
    frame->StartSearchClick(nullptr);
    EXPECT_EQ(opened, (std::vector<std::string>{"\\\\.\\COM3", "\\\\.\\COM4", "\\\\.\\COM5"}));

    opened.clear();
    frame->cbCOM_Start->setCurrentIndex(-1);
    frame->cbCOM_End->setCurrentIndex(-1);
    frame->StartSearchClick(nullptr);
    EXPECT_EQ(opened, std::vector<std::string>{"\\\\.\\COM1"});
}

TEST_F(ConnectionPage, ARangeWithoutAnAnsweringInstrumentShowsNotFound) {
    Site& mute = addInstrument(3, 4);
    mute.instrument.pushFault(Fault::Mute());
    mute.replyBytes = 0;
    Site& held = addInstrument(4, 5);
    auto holder = platform::OpenSerialLine(held.host.devicePath(), {});
    ASSERT_NE(holder, nullptr);
    chooseRange(2, 5);

    frame->StartSearchClick(nullptr);

    EXPECT_EQ(rows(), (Rows{{U("не найдено"), U("устройств")}}));
    EXPECT_EQ(frame->ListView1->topLevelItem(0)->text(0), "");
    EXPECT_TRUE(frame->ListView1->selectedItems().isEmpty());
    EXPECT_EQ(mute.instrument.requests(), std::vector<std::string>{"0;0;"}) << "the mute one was asked";
    EXPECT_TRUE(held.instrument.requests().empty()) << "a port another program holds counts as absent";
    EXPECT_EQ(WorkState, WorkIdle);
    frame->TimerUITimer(nullptr);
    EXPECT_FALSE(frame->CheckLink->isEnabled());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ConnectionPage, TwoInstrumentsLeaveTheChoiceWithTheLastRowSelected) {
    Site& a = addInstrument(3, 7);
    Site& b = addInstrument(5, 2);
    chooseRange(2, 6);

    frame->StartSearchClick(nullptr);

    EXPECT_EQ(rows(), (Rows{{"COM3", "7"}, {"COM5", "2"}}));
    const QList<QTreeWidgetItem*> selected = frame->ListView1->selectedItems();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0]->text(1), "COM5");
    EXPECT_EQ(WorkState, WorkIdle) << "the user chooses";
    EXPECT_EQ(a.instrument.requests(), std::vector<std::string>{"0;0;"});
    EXPECT_EQ(b.instrument.requests(), std::vector<std::string>{"0;0;"});
    frame->TimerUITimer(nullptr);
    EXPECT_TRUE(frame->CheckLink->isEnabled());
}

TEST_F(ConnectionPage, AReplyIsFoundBehindNoiseButNotWithABadChecksum) {
    const struct {
        const char* what;
        Fault fault;
        bool found;
    } cases[] = {
        {"zero bytes first", Fault::NoiseFirst(std::string("\0\0\0", 3)), true},
        {"line noise first", Fault::NoiseFirst("\x13\xff;$;"), true},
        {"the reply in pieces", Fault::SplitInto(3), true},
        {"a bad checksum", Fault::Corrupt(), false},
    };
    for (const auto& c : cases) {
        sites.clear();
        Site& site = addInstrument(3, 9);
        site.instrument.pushFault(c.fault);
        if (c.fault.kind == Fault::Noise) site.replyBytes += c.fault.noise.size();
        chooseRange(3, 3);
        frame->StartSearchClick(nullptr);
        const Rows expected = c.found ? Rows{{"COM3", "9"}} : Rows{{U("не найдено"), U("устройств")}};
        EXPECT_EQ(rows(), expected) << c.what;
        if (WorkState != WorkIdle) PostWorkEvent(EvStop);
    }
}

TEST_F(ConnectionPage, OneInstrumentFoundStartsTheLinkCheckWhichReadsItsSettingsAndFactoryNumber) {
    Site& site = addInstrument(3, 7);
    site.instrument.setWord(3, 30, 4711);
    chooseRange(2, 4);

    frame->StartSearchClick(nullptr);

    EXPECT_EQ(rows(), (Rows{{"COM3", "7"}}));
    EXPECT_EQ(WorkState, WorkLinkCheck) << "no click needed";
    EXPECT_EQ(DevAddr, 7);
    EXPECT_EQ(port.PortNumber, 3);
    EXPECT_FALSE(frame->CheckLink->isEnabled()) << "locked while the check runs";
    ASSERT_TRUE(runLinkCheck());

    ASSERT_EQ(dialogs.texts(), std::vector<QString>{kLinkUp});
    EXPECT_EQ(dialogs.shown[0].type, platform::MsgDlgType::Information);
    EXPECT_TRUE(LinkUp);
    EXPECT_EQ(DevAddr, 7);
    EXPECT_EQ(port.PortNumber, 3) << "every later exchange goes to this port";
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(site.instrument.requests(), (std::vector<std::string>{"0;0;", "7;11;1;0;1;1;", "7;10;16;2;4;",
                                                                    "7;10;259;0;1;", "7;10;30;3;2;"}));
    EXPECT_EQ(settings.stagesSet, std::vector<int>{1});
    ASSERT_EQ(settings.answers.size(), 2u);
    EXPECT_FALSE(settings.answers[0].empty()) << "the settings block as hexadecimal text";
    EXPECT_EQ(settings.answers[1], "43") << "the reference type answer";
    EXPECT_EQ(factoryNumber.text(), "4711") << "the text as the instrument sent it";
    EXPECT_EQ(workNames, (std::vector<int>{2, 9}));
    EXPECT_EQ(WorkStep, 0);
    EXPECT_EQ(TimeoutTicks, -1);
    EXPECT_EQ(DelayTicks, -1);
    EXPECT_TRUE(frame->CheckLink->isEnabled());
}

TEST_F(ConnectionPage, SilenceOrAnErrorAnswerToTheOpeningWriteMeansNoLink) {
    for (const Fault& fault : {Fault::Mute(), Fault::Error(8)}) {
        sites.clear();
        dialogs.shown.clear();
        Site& site = addInstrument(3, 7);
        chooseRange(3, 3);
        frame->StartSearchClick(nullptr);
        ASSERT_EQ(WorkState, WorkLinkCheck);
        site.instrument.pushFault(fault);
        ASSERT_TRUE(received(site, 2));
        if (fault.kind == Fault::Silence) {
            for (int tick = 0; tick < 10; ++tick) TimerRSTimeoutTimer();
            EXPECT_TRUE(dialogs.shown.empty());
            TimerRSTimeoutTimer();
        } else {
            EXPECT_TRUE(pumpUntil([] { return WorkState == WorkIdle; }));
        }
        ASSERT_EQ(dialogs.texts(), std::vector<QString>{kNoLink}) << "not the instrument's own error text";
        EXPECT_EQ(dialogs.shown[0].type, platform::MsgDlgType::Error);
        EXPECT_EQ(WorkState, WorkIdle);
        EXPECT_FALSE(LinkUp);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(DelayTicks, -1);
        EXPECT_TRUE(frame->CheckLink->isEnabled());
    }
}

TEST_F(ConnectionPage, DoesNotStartWhileAWorkRuns) {
    Site& site = addInstrument(3, 7);
    addRow("COM3", "7");
    WorkState = WorkMeasurement;
    frame->CheckLinkClick(nullptr);
    EXPECT_EQ(WorkState, WorkMeasurement);
    EXPECT_EQ(DevAddr, 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(workNames.empty());
    for (int i = 0; i < 20; ++i) site.host.service(0);
    EXPECT_TRUE(site.instrument.requests().empty());
}

TEST_F(ConnectionPage, TheAddressChangesOnlyWithAPortThatCanBeSelected) {
    Site& site = addInstrument(3, 7);
    const struct {
        const char* port;
        const char* address;
    } rowsToTry[] = {{"COM4", "9"}, {"COM3", "x"}, {"не найдено", "устройств"}, {"COM", "9"}};
    for (const auto& r : rowsToTry) {
        frame->ListView1->clear();
        addRow(r.port, r.address);
        frame->CheckLinkClick(nullptr);
        EXPECT_EQ(DevAddr, 1) << r.port << " " << r.address;
        EXPECT_EQ(WorkState, WorkIdle);
        EXPECT_EQ(port.PortNumber, 1);
    }
    EXPECT_TRUE(workNames.empty());
    EXPECT_TRUE(site.instrument.requests().empty());
}

TEST_F(ConnectionPage, AStopEndsTheLinkCheckQuietly) {
    Site& site = addInstrument(3, 7);
    site.instrument.pushFault(Fault::Mute());
    addRow("COM3", "7");
    frame->CheckLinkClick(nullptr);
    ASSERT_TRUE(received(site, 1));
    ASSERT_FALSE(frame->CheckLink->isEnabled());

    PostWorkEvent(EvStop);

    EXPECT_EQ(WorkState, WorkIdle);
    EXPECT_TRUE(frame->CheckLink->isEnabled());
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(TimeoutTicks, -1);
    EXPECT_EQ(DelayTicks, -1);
    for (int tick = 0; tick < 30; ++tick) TimerRSTimeoutTimer();
    EXPECT_TRUE(dialogs.shown.empty());
    for (int i = 0; i < 20; ++i) site.host.service(0);
    EXPECT_EQ(site.instrument.requests().size(), 1u) << "the opening write is not sent again";
}

TEST_F(ConnectionPage, AnExchangeLeftOpenCannotTakeTheLinkChecksAnswer) {
    Site& site = addInstrument(3, 7);
    QLineEdit leftOver;  // the requester of a one-shot read that timed out
    Requester = &leftOver;
    UiExchange = true;
    addRow("COM3", "7");
    frame->CheckLinkClick(nullptr);
    ASSERT_TRUE(runLinkCheck());
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kLinkUp});
    EXPECT_EQ(leftOver.text(), "");
    EXPECT_TRUE(LinkUp);
    EXPECT_EQ(site.instrument.requests().back(), "7;10;30;3;2;");
}

TEST_F(ConnectionPage, TheSettingsReadsDelayPassesTheLastCompleteAnswerNotAHalfReceivedFrame) {
    // On an in-memory line, so the test can put half a frame on it.
    platform::MemoryLine line;
    platform::SetComOpener([&](const std::string&) { return line.openHost(); });
    Instrument instrument(1);
    instrument.setWord(3, 30, 815);
    sim::MemoryHost host(instrument, line);
    auto exchange = [&] {
        host.service(0);
        TimerRxTimer();
    };
    // The settings page asks for nothing more and ends its read only when called again, so only
    // the delay goes on.
    settings.readsOn = false;
    settings.silentCalls = 1;
    addRow("COM2", "1");
    frame->CheckLinkClick(nullptr);
    exchange();  // the opening write's answer
    exchange();  // the settings block
    ASSERT_EQ(settings.answers.size(), 1u);
    ASSERT_EQ(WorkState, WorkLinkCheck);
    ASSERT_EQ(TimeoutTicks, -1);

    line.sendToHost("\xff!1;ABCD");
    TimerRxTimer();
    for (int tick = 0; tick < 100; ++tick) TimerRSTimeoutTimer();
    EXPECT_EQ(settings.answers.size(), 1u);
    TimerRSTimeoutTimer();  // the delay armed with the settings read expires

    ASSERT_EQ(settings.answers.size(), 2u);
    EXPECT_EQ(settings.answers[1], settings.answers[0]);
    exchange();  // the factory number
    EXPECT_EQ(factoryNumber.text(), "815");
    EXPECT_EQ(WorkState, WorkIdle);
}

TEST_F(ConnectionPage, TheFactoryNumberIsAskedForAsSoonAsTheSettingsReadEnds) {
    platform::MemoryLine line;
    platform::SetComOpener([&](const std::string&) { return line.openHost(); });
    Instrument instrument(1);
    instrument.setWord(3, 30, 4242);
    sim::MemoryHost host(instrument, line);
    auto exchange = [&] {
        host.service(0);
        TimerRxTimer();
    };
    struct Case {
        bool readsOn;  // the settings read asks for the reference type, or ends at its first answer
        std::vector<std::string> requests;
    } cases[] = {
        {true, {"1;11;1;0;1;1;", "1;10;16;2;4;", "1;10;259;0;1;", "1;10;30;3;2;"}},
        {false, {"1;11;1;0;1;1;", "1;10;16;2;4;", "1;10;30;3;2;"}},
    };
    for (const Case& c : cases) {
        settings = {};
        settings.readsOn = c.readsOn;
        instrument.clearRequests();
        factoryNumber.clear();
        frame->ListView1->clear();
        addRow("COM2", "1");
        frame->CheckLinkClick(nullptr);
        // No countdown tick runs: the work goes on from answer to answer.
        for (std::size_t answer = 0; answer < c.requests.size() && WorkState == WorkLinkCheck; ++answer)
            exchange();
        EXPECT_EQ(instrument.requests(), c.requests) << c.readsOn;
        EXPECT_EQ(factoryNumber.text(), "4242") << c.readsOn;
        EXPECT_EQ(WorkState, WorkIdle) << c.readsOn;
    }
}

}  // namespace
