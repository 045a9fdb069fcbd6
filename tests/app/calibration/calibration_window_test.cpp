#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QTabBar>
#include <QTabWidget>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/archive/frame_archive.h"
#include "app/calibration/form_grad.h"
#include "link/instrument_errors.h"
#include "link/my_comm.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/app/archive_file_bytes.h"
#include "tests/app/simulator_window_fixture.h"
#include "tests/support/printers.h"

namespace {

using Strings = std::vector<std::string>;
using Mode = sim::Instrument::EmulationMode;

// The calibration window beside the main window, both on the simulated instrument.
class CalibrationWindow : public WindowOnSimulator {
protected:
    void SetUp() override {
        WindowOnSimulator::SetUp();
        frame = grad->FrameZKV_Grad1;
    }

    // Runs the line until the open exchange has ended.
    bool finish() { return pumpUntil([] { return !UiExchange; }); }
    // What the instrument received since the last call.
    Strings takeRequests() {
        host.service(0);
        Strings requests = instrument.requests();
        instrument.clearRequests();
        return requests;
    }
    QString rangeMessage(const char* range) { return U("Значение вне допустимого диапазона ") + range + " !"; }
    void expectRangeRefusal(const char* range, const std::string& what) {
        ASSERT_EQ(dialogs.shown.size(), 1u) << what;
        EXPECT_EQ(dialogs.shown[0].text, rangeMessage(range)) << what;
        EXPECT_EQ(dialogs.shown[0].caption, U("Некорректное значение!")) << what;
        EXPECT_TRUE(takeRequests().empty()) << what << ": nothing is sent";
        EXPECT_FALSE(UiExchange) << what;
        dialogs.shown.clear();
    }
    // Reads the coefficient and the current of the channel on that tab and waits for the end.
    void readChannel(int tab, const char* sample) {
        frame->CMeasurementTabs->setCurrentIndex(tab);
        frame->CMSampleValue->setText(sample);
        frame->CMReadClick();
        ASSERT_TRUE(UiExchange);
        ASSERT_TRUE(finish());
    }

    TFrameZKV_Grad* frame = nullptr;
};

TEST_F(CalibrationWindow, EachEmulationRequestMakesTheInstrumentEmulateItsCurrent) {
    struct Case {
        const char* name;
        const char* current;  // typed into I_Emul
        std::function<void(TFrameZKV_Grad*)> click;
        const char* request;
        Mode mode;
        float milliamps;
        const char* status;
    } cases[] = {
        {"minimum", "", [](TFrameZKV_Grad* f) { f->CESetMinClick(); }, "1;11;43;0;3;0.000000;", Mode::Minimum, 4.0f,
         "Установка эмуляции минимального значения"},
        {"maximum", "", [](TFrameZKV_Grad* f) { f->CESetMaxClick(); }, "1;11;44;0;3;0.000000;", Mode::Maximum, 20.0f,
         "Установка эмуляции максимального значения тока"},
        {"current", "12.5", [](TFrameZKV_Grad* f) { f->CESet_IClick(); }, "1;11;45;0;3;12.500000;", Mode::Current,
         12.5f, "Установка эмуляции тока"},
        {"current at the limit", "30", [](TFrameZKV_Grad* f) { f->CESet_IClick(); }, "1;11;45;0;3;30.000000;",
         Mode::Current, 30.0f, "Установка эмуляции тока"},
    };
    for (const Case& c : cases) {
        frame->I_Emul->setText(c.current);
        c.click(frame);
        EXPECT_TRUE(UiExchange) << c.name;
        EXPECT_EQ(Requester, nullptr) << c.name;
        EXPECT_EQ(window->StatusPanelText(2), U(c.status)) << c.name;
        ASSERT_TRUE(finish()) << c.name;
        EXPECT_EQ(takeRequests(), Strings{c.request}) << c.name;
        EXPECT_EQ(instrument.emulation().mode, c.mode) << c.name;
        EXPECT_EQ(instrument.emulation().milliamps, c.milliamps) << c.name;
        EXPECT_FALSE(window->Comm->IsOpen()) << c.name;
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(CalibrationWindow, ParametersAreWrittenFromTheirEditsAndTheOffsetIsReadBack) {
    struct Case {
        QLineEdit* edit;
        const char* text;
        std::function<void(TFrameZKV_Grad*)> click;
        const char* request;
        int reg;
        float stored;
    } cases[] = {
        {frame->CEMinValue, "3.98", [](TFrameZKV_Grad* f) { f->CEWriteMinClick(); }, "1;11;2;3;3;3.980000;", 2, 3.98f},
        {frame->CEMaxValue, "35", [](TFrameZKV_Grad* f) { f->CEWriteMaxClick(); }, "1;11;6;3;3;35.000000;", 6, 35.0f},
        {frame->CECorrFactor, "0.0125", [](TFrameZKV_Grad* f) { f->CEWriteCFClick(); }, "1;11;10;3;3;0.012500;", 10,
         0.0125f},
        {frame->CECorrFactor, "25", [](TFrameZKV_Grad* f) { f->CEWriteCFClick(); }, "1;11;10;3;3;25.000000;", 10,
         25.0f},
    };
    for (const Case& c : cases) {
        c.edit->setText(c.text);
        c.click(frame);
        EXPECT_EQ(Requester, nullptr) << c.request;
        EXPECT_EQ(window->StatusPanelText(2), U("Запись параметра")) << c.request;
        ASSERT_TRUE(finish()) << c.request;
        EXPECT_EQ(takeRequests(), Strings{c.request});
        EXPECT_EQ(instrument.floatAt(3, c.reg), c.stored) << c.request;
        EXPECT_EQ(c.edit->text(), c.text) << "a write's answer is shown nowhere";
    }

    instrument.setFloat(3, 10, -0.375f);
    frame->BitBtn1Click();
    EXPECT_EQ(Requester, frame->CECorrFactor);
    EXPECT_EQ(window->StatusPanelText(2), U("Чтение параметра"));
    ASSERT_TRUE(finish());
    EXPECT_EQ(takeRequests(), Strings{"1;10;10;3;3;"});
    EXPECT_EQ(frame->CECorrFactor->text(), "-0.375000");
    EXPECT_EQ(Requester, nullptr);
    EXPECT_FALSE(window->Comm->IsOpen());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(CalibrationWindow, ValuesOutsideTheirRangesAreRefusedAndNothingIsSent) {
    struct Case {
        QLineEdit* edit;
        const char* text;
        std::function<void(TFrameZKV_Grad*)> click;
        const char* range;
    } cases[] = {
        {frame->I_Emul, "30.01", [](TFrameZKV_Grad* f) { f->CESet_IClick(); }, "0...30"},
        {frame->I_Emul, "-0.5", [](TFrameZKV_Grad* f) { f->CESet_IClick(); }, "0...30"},
        {frame->CEMinValue, "30.01", [](TFrameZKV_Grad* f) { f->CEWriteMinClick(); }, "0...30"},
        {frame->CEMaxValue, "35.01", [](TFrameZKV_Grad* f) { f->CEWriteMaxClick(); }, "0...35"},
        {frame->CECorrFactor, "25.01", [](TFrameZKV_Grad* f) { f->CEWriteCFClick(); }, "0...25"},
        {frame->CECorrFactor, "abc", [](TFrameZKV_Grad* f) { f->CEWriteCFClick(); }, "0...25"},
        {frame->CMCalibFactor, "500.5", [](TFrameZKV_Grad* f) { f->CMWriteClick(); }, "1...500"},
        {frame->CMCalibFactor, "0.99", [](TFrameZKV_Grad* f) { f->CMWriteClick(); }, "1...500"},
        {frame->CMCalibFactor, "", [](TFrameZKV_Grad* f) { f->CMWriteClick(); }, "1...500"},
        {frame->CMSampleValue, "", [](TFrameZKV_Grad* f) { f->CMReadClick(); }, "0...30"},
        {frame->CMSampleValue, "30.5", [](TFrameZKV_Grad* f) { f->CMReadClick(); }, "0...30"},
    };
    for (const Case& c : cases) {
        c.edit->setText(c.text);
        c.click(frame);
        expectRangeRefusal(c.range, std::string(c.range) + " " + c.text);
    }
}

// The read takes the channel's coefficient, then its current, and computes the coefficient that
// the write stores; the expected texts are worked out by hand.
TEST_F(CalibrationWindow, ACoefficientReadComputesTheNewCoefficientAndTheWriteStoresIt) {
    struct Case {
        int tab;
        float present;
        double measured;
        const char* sample;
        const char* presentText;
        const char* measuredText;
        const char* computed;
        const char* write;
        float stored;
    } cases[] = {
        {0, 1.0f, 4.02, "4.00", "1.000000", "4.0200", "1.0050000", "1;11;14;3;3;1.005000;", 1.005f},
        {2, 1.2345f, 12.0, "11", "1.234500", "12.0000", "1.3467274", "1;11;22;3;3;1.346727;", 1.346727f},
        {3, 250.0f, 20.0, "10", "250.000000", "20.0000", "500.00000", "1;11;26;3;3;500.000000;", 500.0f},
    };
    for (const Case& c : cases) {
        const int reg = 14 + 4 * c.tab;
        instrument.setFloat(3, reg, c.present);
        instrument.setSource(5 + c.tab, c.measured);
        readChannel(c.tab, c.sample);
        EXPECT_EQ(takeRequests(), (Strings{"1;10;" + std::to_string(reg) + ";3;3;", "1;1;" + std::to_string(5 + c.tab) + ";"}));
        EXPECT_EQ(frame->CalibFactor->text(), c.presentText);
        EXPECT_EQ(frame->CMMeasuredValue->text(), c.measuredText);
        EXPECT_EQ(frame->CMCalibFactor->text(), c.computed);
        EXPECT_EQ(Requester, nullptr);
        EXPECT_FALSE(window->Comm->IsOpen());

        frame->CMWriteClick();
        ASSERT_TRUE(finish());
        EXPECT_EQ(takeRequests(), Strings{c.write});
        EXPECT_EQ(instrument.floatAt(3, reg), c.stored);
    }
    EXPECT_EQ(instrument.floatAt(3, 18), 1.0f) << "the channel not read keeps its coefficient";
    EXPECT_TRUE(dialogs.shown.empty());

    // A true current of 0 computes nothing, and nothing is then written.
    frame->CMSampleValue->setText("0");
    EXPECT_EQ(frame->CMCalibFactor->text(), "");
    frame->CMWriteClick();
    expectRangeRefusal("1...500", "no coefficient");
}

TEST_F(CalibrationWindow, AReadThatFailsLeavesNoCoefficientFromAnEarlierReadToWrite) {
    const sim::Fault asUsual = sim::Fault::Delay(0);
    struct Case {
        const char* name;
        std::vector<sim::Fault> faults;
        bool silent;
        Strings requests;
        const char* message;
        const char* present;
    } cases[] = {
        {"error at the coefficient", {sim::Fault::Error(5)}, false, {"1;10;18;3;3;"}, InstrumentErrorText(5), ""},
        {"error at the current", {asUsual, sim::Fault::Error(11)}, false, {"1;10;18;3;3;", "1;1;6;"},
         InstrumentErrorText(11), "0.500000"},
        {"no current", {asUsual, sim::Fault::Mute()}, true, {"1;10;18;3;3;", "1;1;6;"}, "Нет связи с устройством!",
         "0.500000"},
    };
    for (const Case& c : cases) {
        readChannel(1, "4");
        ASSERT_EQ(frame->CMCalibFactor->text(), "1.0000000") << c.name;
        takeRequests();

        // The same channel again, after its coefficient has changed in the instrument.
        instrument.setFloat(3, 18, 0.5f);
        for (const sim::Fault& fault : c.faults) instrument.pushFault(fault);
        frame->CMReadClick();
        if (c.silent) {
            ASSERT_TRUE(pumpUntil([&] { return instrument.requests().size() == c.requests.size(); })) << c.name;
            countdown(11);
        }
        ASSERT_TRUE(finish()) << c.name;
        EXPECT_EQ(takeRequests(), c.requests) << c.name;
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{U(c.message)}) << c.name;
        dialogs.shown.clear();
        EXPECT_EQ(frame->CalibFactor->text(), c.present) << c.name;
        EXPECT_EQ(frame->CMMeasuredValue->text(), "") << c.name;
        EXPECT_EQ(frame->CMCalibFactor->text(), "") << c.name;
        frame->CMWriteClick();
        expectRangeRefusal("1...500", c.name);
        instrument.clearFaults();
        instrument.setFloat(3, 18, 1.0f);
    }
}

TEST_F(CalibrationWindow, AChannelChangeDuringAReadCannotMixChannels) {
    frame->CMeasurementTabs->setCurrentIndex(0);
    frame->CMSampleValue->setText("4");
    // The first answer is in and the second request is out, its answer held back, when the user
    // picks channel 3.
    instrument.pushFault(sim::Fault::Delay(0));
    instrument.pushFault(sim::Fault::Delay(5));
    frame->CMReadClick();
    ASSERT_TRUE(pumpUntil([&] { return instrument.requests().size() == 2; }));
    ASSERT_EQ(frame->CalibFactor->text(), "1.000000");
    frame->CMeasurementTabs->setCurrentIndex(2);
    EXPECT_FALSE(UiExchange);
    EXPECT_EQ(Requester, nullptr);
    EXPECT_EQ(TimeoutTicks, -1);
    for (int tick = 0; tick < 20; ++tick) {
        host.service(10);
        window->TimerRxTimer();
        window->TimerRSTimeoutTimer();
    }
    EXPECT_FALSE(instrument.hasPendingOutput()) << "the answer went out";
    EXPECT_EQ(takeRequests(), (Strings{"1;10;14;3;3;", "1;1;5;"})) << "the second step asked the read's own channel";
    EXPECT_EQ(frame->CalibFactor->text(), "") << "channel 1's values are not shown for channel 3";
    EXPECT_EQ(frame->CMMeasuredValue->text(), "");
    EXPECT_EQ(frame->CMCalibFactor->text(), "");
    EXPECT_TRUE(dialogs.shown.empty());

    // A finished read's values belong to their channel too.
    readChannel(2, "4");
    ASSERT_EQ(frame->CMCalibFactor->text(), "1.0000000");
    takeRequests();
    frame->CMeasurementTabs->setCurrentIndex(3);
    EXPECT_EQ(frame->CMCalibFactor->text(), "");
    frame->CMWriteClick();
    expectRangeRefusal("1...500", "channel 3's coefficient on channel 4");
}

TEST_F(CalibrationWindow, TheNewCoefficientFollowsTheTrueCurrentAndWaitsForNumbers) {
    frame->GradModes->setCurrentIndex(1);
    frame->CalibFactor->setText("1.2345");
    frame->CMMeasuredValue->setText("12");
    struct Case {
        const char* sample;
        const char* computed;
    } cases[] = {
        {"11", "1.3467274"},
        {"abc", "1.3467274"},  // not a number: the last coefficient stays
        {"", "1.3467274"},
        {"12", "1.2345001"},  // the float 1.2345 lies just above it
        {"11abc", "1.3467274"},  // a number followed by more reads as the number
        {"0", ""},
        {"24", "0.6172500"},
    };
    for (const Case& c : cases) {
        frame->CMSampleValue->setText(c.sample);
        EXPECT_EQ(frame->CMCalibFactor->text(), c.computed) << c.sample;
    }
    frame->CMMeasuredValue->setText("-");
    EXPECT_EQ(frame->CMCalibFactor->text(), "0.6172500") << "a measured text that is no number computes nothing";
}

// A read whose time-out has passed leaves its edit as the requester; no later write may put its
// answer there.
TEST_F(CalibrationWindow, AWriteNeverLandsInAStaleRequester) {
    instrument.pushFault(sim::Fault::Mute());
    frame->BitBtn1Click();
    ASSERT_TRUE(pumpUntil([&] { return !instrument.requests().empty(); }));
    countdown(11);
    ASSERT_EQ(dialogs.texts(), std::vector<QString>{U("Нет связи с устройством!")});
    dialogs.shown.clear();
    ASSERT_EQ(Requester, frame->CECorrFactor);
    takeRequests();

    frame->CECorrFactor->setText("0.5");
    frame->CEMinValue->setText("4");
    frame->CEMaxValue->setText("20");
    frame->I_Emul->setText("12");
    frame->CMCalibFactor->setText("1.5");
    const std::function<void()> writes[] = {
        [&] { frame->CESetMinClick(); },   [&] { frame->CESetMaxClick(); },   [&] { frame->CESet_IClick(); },
        [&] { frame->CEWriteMinClick(); }, [&] { frame->CEWriteMaxClick(); }, [&] { frame->CEWriteCFClick(); },
        [&] { frame->CMWriteClick(); },
    };
    for (const auto& write : writes) {
        write();
        EXPECT_EQ(Requester, nullptr);
        ASSERT_TRUE(finish());
        EXPECT_EQ(takeRequests().size(), 1u);
        EXPECT_EQ(frame->CECorrFactor->text(), "0.5");
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(CalibrationWindow, ARequestThatNeverReachesTheLineOpensNoExchange) {
    platform::SetComOpener([](const std::string&) -> std::unique_ptr<platform::ByteStream> {
        throw std::runtime_error("the line cannot be opened");
    });
    const std::function<void()> actions[] = {
        [&] { frame->CESetMinClick(); },   [&] { frame->CESetMaxClick(); },   [&] { frame->CESet_IClick(); },
        [&] { frame->CEWriteMinClick(); }, [&] { frame->CEWriteMaxClick(); }, [&] { frame->BitBtn1Click(); },
        [&] { frame->CEWriteCFClick(); },  [&] { frame->CMReadClick(); },     [&] { frame->CMWriteClick(); },
    };
    QLineEdit pageEdit;
    for (const auto& action : actions) {
        for (QLineEdit* edit : {frame->I_Emul, frame->CEMinValue, frame->CEMaxValue, frame->CECorrFactor,
                                frame->CMSampleValue, frame->CMCalibFactor}) {
            edit->setText("2");
        }
        // Whatever was open before stays as it was.
        Requester = &pageEdit;
        action();
        EXPECT_FALSE(UiExchange);
        EXPECT_EQ(Requester, &pageEdit);
        EXPECT_EQ(TimeoutTicks, -1);
        EXPECT_EQ(window->StatusPanelText(2), "");
    }
    Requester = nullptr;
    countdown(20);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{});
}

// A line that opens but does not work: the request goes nowhere, and its time-out tells the user.
TEST_F(CalibrationWindow, ARequestToAPortThatWillNotOpenEndsWithNoLink) {
    platform::SetComOpener([](const std::string&) { return std::unique_ptr<platform::ByteStream>(); });
    frame->BitBtn1Click();
    EXPECT_TRUE(UiExchange);
    countdown(11);
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Нет связи с устройством!")});
    EXPECT_FALSE(UiExchange);
}

TEST_F(CalibrationWindow, ItsRequestsSupersedeAPagesExchangeAndAPageChangeEndsItsRead) {
    // An archive reading waits for its first block when the offset is read here: the answer comes
    // here, and the reading gets nothing more.
    instrument.setFloat(3, 10, 0.25f);
    instrument.pushFault(sim::Fault::Mute());
    window->FrameArchiv1->ReadArchive->click();
    ASSERT_EQ(Requester, window->FrameArchiv1->ListViewArchiv1);
    ASSERT_TRUE(pumpUntil([&] { return !instrument.requests().empty(); }));
    frame->BitBtn1Click();
    EXPECT_EQ(Requester, frame->CECorrFactor);
    ASSERT_TRUE(finish());
    EXPECT_EQ(frame->CECorrFactor->text(), "0.250000");
    EXPECT_EQ(window->FrameArchiv1->ListViewArchiv1->topLevelItemCount(), 0);
    countdown(20);
    EXPECT_TRUE(dialogs.shown.empty());
    takeRequests();

    // A write takes the exchange without a requester: the page's control gets nothing.
    QLineEdit pageEdit;
    pageEdit.setText("page");
    Requester = &pageEdit;
    UiExchange = true;
    frame->CESetMinClick();
    ASSERT_TRUE(finish());
    EXPECT_EQ(pageEdit.text(), "page");
    EXPECT_EQ(takeRequests(), Strings{"1;11;43;0;3;0.000000;"});

    // The user changes the main window's page while a coefficient read is open: the read ends.
    // Its first answer is held back until the page has changed.
    instrument.pushFault(sim::Fault::Delay(5));
    frame->CMSampleValue->setText("4");
    frame->CMReadClick();
    ASSERT_TRUE(pumpUntil([&] { return !instrument.requests().empty(); }));
    window->Pages->setCurrentIndex(3);
    EXPECT_FALSE(UiExchange);
    EXPECT_EQ(Requester, nullptr);
    EXPECT_FALSE(window->Comm->IsOpen());
    for (int tick = 0; tick < 20; ++tick) {
        host.service(10);
        window->TimerRxTimer();
        window->TimerRSTimeoutTimer();
    }
    EXPECT_FALSE(instrument.hasPendingOutput()) << "the answer went out";
    EXPECT_EQ(takeRequests(), Strings{"1;10;14;3;3;"}) << "no second step";
    EXPECT_EQ(frame->CalibFactor->text(), "");
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(CalibrationWindow, AnArchiveImportLeavesTheReadThatTookOverTheArchivesExchange) {
    const std::string file = folder.file("archive.zkv");
    std::ofstream(file, std::ios::binary) << archive_testing::ArchiveFileOf(archive_testing::MeasuredRecords(2));
    TFrameArchiv* archive = window->FrameArchiv1;
    const struct {
        const char* name;
        std::function<void()> start;
    } cases[] = {
        {"a reading", [&] { archive->ReadArchive->click(); }},
        {"a clearing", [&] {
             dialogs.answer(platform::mrYes);
             archive->ClearArchive->click();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The transfer's first request goes unanswered; the offset read takes the exchange over.
        instrument.setFloat(3, 10, 0.25f);
        instrument.pushFault(sim::Fault::Mute());
        frame->CECorrFactor->clear();
        c.start();
        dialogs.shown.clear();
        ASSERT_TRUE(pumpUntil([&] { return !instrument.requests().empty(); }));
        frame->BitBtn1Click();
        ASSERT_EQ(Requester, frame->CECorrFactor);

        EXPECT_EQ(archive->ImportArchiveFile(QString::fromStdString(file)), 2);
        EXPECT_EQ(Requester, frame->CECorrFactor);
        EXPECT_TRUE(UiExchange);
        EXPECT_FALSE(archive->ReadArchive->isHidden()) << "the page is at rest";
        EXPECT_FALSE(archive->ClearArchive->isHidden());
        EXPECT_TRUE(archive->ArchiveProcess->isHidden());
        ASSERT_TRUE(finish());
        EXPECT_EQ(frame->CECorrFactor->text(), "0.250000");
        EXPECT_EQ(archive->ListViewArchiv1->topLevelItemCount(), 2);
        countdown(20);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{});
        takeRequests();
    }
}

// The real Qt path: the menu item, the window beside the main one, typed keys and Enter, "Закрыть".
TEST_F(CalibrationWindow, OpensFromTheMenuBesideTheMainWindowAndKeepsItsTextsWhenClosed) {
    window->N3->trigger();
    ASSERT_TRUE(grad->isVisible());
    EXPECT_EQ(frame->GradModes->currentIndex(), 1);
    EXPECT_FALSE(grad->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isEnabled());
    frame->CMeasurementTabs->setCurrentIndex(2);

    window->N2->trigger();
    EXPECT_EQ(frame->GradModes->currentIndex(), 0);
    for (const char* key : {"1", "2", ",", "5", "x"}) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(key));
        QCoreApplication::sendEvent(frame->I_Emul, &press);
    }
    EXPECT_EQ(frame->I_Emul->text(), "12.5");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(frame->I_Emul, &enter);
    EXPECT_EQ(frame->I_Emul->text(), "12.5") << "Enter types nothing";
    ASSERT_TRUE(finish());
    EXPECT_EQ(takeRequests(), Strings{"1;11;45;0;3;12.500000;"});
    EXPECT_EQ(instrument.emulation().milliamps, 12.5f);

    // The main window goes on working while the calibration window is shown.
    window->Pages->setCurrentIndex(1);
    EXPECT_EQ(window->Pages->currentIndex(), 1);

    grad->BitBtn1->click();
    EXPECT_FALSE(grad->isVisible());
    window->N3->trigger();
    EXPECT_TRUE(grad->isVisible());
    EXPECT_EQ(frame->I_Emul->text(), "12.5");
    EXPECT_EQ(frame->CMeasurementTabs->currentIndex(), 2);
}

}  // namespace
