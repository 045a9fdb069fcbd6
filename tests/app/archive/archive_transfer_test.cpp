#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QLayout>
#include <QRect>
#include <cstring>
#include <functional>
#include <vector>

#include "link/instrument_errors.h"
#include "link/my_comm.h"
#include "tests/app/archive/archive_page_fixture.h"
#include "tests/support/printers.h"

namespace {

using namespace archive_testing;

TEST_F(ArchivePageTest, AFullReadingAsksForEveryBlockInOrderAndEndsAtRest) {
    sim::FillArchiveWithMeasurements(instrument);
    sim::SetArchiveRecord(instrument, 3, sim::BlankArchiveRecordBytes());
    sim::CorruptArchiveRecord(instrument, 0);
    sim::CorruptArchiveRecord(instrument, 300);
    page->ReadArchive->click();
    EXPECT_TRUE(page->ReadArchive->isHidden());
    EXPECT_FALSE(page->StopArchiveReading->isHidden());
    EXPECT_FALSE(page->ArchiveProcess->isHidden());
    EXPECT_EQ(window->StatusPanelText(2), U("Чтение архива из прибора"));

    ASSERT_TRUE(runUntil([&] { return !dialogs.shown.empty(); }));
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kReadingDone});
    EXPECT_EQ(dialogs.shown[0].kind, testing_support::ShownDialog::Kind::ShowMessage);
    std::vector<std::string> expected;
    for (int offset = 0; offset < 32768; offset += 32) expected.push_back(BlockRead(offset));
    EXPECT_EQ(instrument.requests(), expected);

    QTreeWidget& table = *page->ListViewArchiv1;
    ASSERT_EQ(table.topLevelItemCount(), 512);
    for (int row = 0; row < 512; ++row) EXPECT_EQ(table.topLevelItem(row)->text(0), QString::number(row + 1));
    EXPECT_EQ(Cells(table, 0), QStringList()) << "a record that fails its checksum shows its number only";
    EXPECT_EQ(Cells(table, 300), QStringList());
    EXPECT_EQ(Cells(table, 3), BlankCells());
    EXPECT_EQ(page->ArchiveProcess->value(), 511);
    EXPECT_EQ(page->FArchOffset, 0);
    EXPECT_FALSE(window->Comm->IsOpen());
    ExpectAtRest(*page);
    // The last record went through the buffer whole.
    const sim::ArchiveRecordBytes last = sim::ArchiveRecordAt(instrument, 511);
    EXPECT_EQ(std::memcmp(RecordBytes(page->FRecordBuf), last.data(), last.size()), 0);

    // A finished reading leaves nothing to resume.
    instrument.clearRequests();
    dialogs.shown.clear();
    page->ReadArchive->click();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(table.topLevelItemCount(), 0);
    step();
    EXPECT_EQ(instrument.requests(), std::vector<std::string>{BlockRead(0)});
}

TEST_F(ArchivePageTest, TheGaugeFollowsTheRecordInTransfer) {
    readUntil(0);
    const struct {
        int answers;  // answered so far
        int value;
    } cases[] = {{1, 0}, {2, 0}, {3, 1}, {34, 16}, {35, 17}};
    int answered = 0;
    for (const auto& c : cases) {
        for (; answered < c.answers; ++answered) step();
        EXPECT_EQ(page->ArchiveProcess->value(), c.value) << c.answers << " answers";
    }
}

TEST_F(ArchivePageTest, AStoppedReadingOffersToResumeAtTheRecordItStoppedIn) {
    const struct {
        int stoppedAt;  // the block that was to be read next
        int answer;     // to "Продолжить чтение с записи N ?"
        const char* record;
        int firstRequest;  // -1: nothing is sent
        int rowsKept;
    } cases[] = {
        {1056, platform::mrYes, "17", 1056, 16},  // within record 17, after its first half
        {1024, platform::mrYes, "17", 1024, 16},  // between records 16 and 17
        {32, platform::mrYes, "1", 32, 0},
        {32736, platform::mrYes, "512", 32736, 511},
        {1056, platform::mrNo, "17", 0, 0},
        {1056, platform::mrCancel, "17", -1, 16},  // neither answer: nothing more happens
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stoppedAt);
        readUntil(c.stoppedAt);
        page->StopArchiveReading->click();
        ExpectAtRest(*page);
        EXPECT_EQ(page->FArchOffset, c.stoppedAt);
        step();  // the answer to the stopped request never comes through the closed port
        const std::size_t before = requestCount();
        dialogs.shown.clear();
        dialogs.answer(c.answer);

        page->ReadArchive->click();
        ASSERT_EQ(dialogs.texts(), std::vector<QString>{U("Продолжить чтение с записи ") + c.record + " ?"});
        EXPECT_EQ(dialogs.shown[0].type, platform::MsgDlgType::Confirmation);
        EXPECT_EQ(dialogs.shown[0].buttons, platform::mbYes | platform::mbNo);
        EXPECT_EQ(page->ListViewArchiv1->topLevelItemCount(), c.rowsKept);
        step();
        if (c.firstRequest < 0) {
            EXPECT_EQ(requestCount(), before);
            ExpectAtRest(*page);
            EXPECT_EQ(page->FArchOffset, c.stoppedAt);
        } else {
            ASSERT_GT(requestCount(), before);
            EXPECT_EQ(instrument.requests()[before], BlockRead(c.firstRequest));
        }
        page->StopArchiveClearingClick(nullptr);  // forgets the resume point: the next case starts afresh
        page->StopArchiveReadingClick(nullptr);
        dialogs.shown.clear();
    }
}

TEST_F(ArchivePageTest, AResumedReadingJoinsTheHalvesOfTheRecordItStoppedIn) {
    sim::FillArchiveWithMeasurements(instrument);
    readUntil(1056);
    page->StopArchiveReading->click();
    dialogs.answer(platform::mrYes);
    page->ReadArchive->click();
    ASSERT_TRUE(runUntil([&] { return page->ListViewArchiv1->topLevelItemCount() == 17; }));
    const sim::ArchiveRecordBytes record17 = sim::ArchiveRecordAt(instrument, 16);
    EXPECT_EQ(Hex(RecordBytes(page->FRecordBuf), 64), Hex(record17.data(), 64));
    EXPECT_TRUE(page->ArchRecordValid(page->FRecordBuf));
    EXPECT_EQ(page->ListViewArchiv1->topLevelItem(16)->text(0), "17");
}

TEST_F(ArchivePageTest, ThePageQuestionIsARealModalBoxAnsweredWithItsYesButton) {
    readUntil(1056);
    page->StopArchiveReading->click();
    platform::Dialogs* scripted = platform::SetDialogs(nullptr);
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no message box";
            return;
        }
        text = box->text();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == "&Yes") return button->click();
        }
        ADD_FAILURE() << "no Yes button";
        box->close();
    });
    page->ReadArchive->click();
    platform::SetDialogs(scripted);
    EXPECT_EQ(text, U("Продолжить чтение с записи 17 ?"));
    step();
    EXPECT_EQ(instrument.requests().back(), BlockRead(1056));
    EXPECT_FALSE(page->StopArchiveReading->isHidden());
}

// The real box, answered the two ways that are not its buttons: its window closed (the title bar's
// close box, Alt+F4) does nothing more; Esc is the class library's No.
TEST_F(ArchivePageTest, TheResumeQuestionClosedByItsWindowDoesNothingAndEscMeansNo) {
    readUntil(1056);
    page->StopArchiveReading->click();
    ASSERT_EQ(page->ListViewArchiv1->topLevelItemCount(), 16);
    step();
    const std::size_t before = requestCount();
    platform::Dialogs* scripted = platform::SetDialogs(nullptr);
    const auto whenShown = [](std::function<void(QMessageBox&)> act) {
        QTimer::singleShot(0, [act] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return ADD_FAILURE() << "no message box";
            act(*box);
        });
    };

    whenShown([](QMessageBox& box) { box.close(); });
    page->ReadArchive->click();
    step();
    EXPECT_EQ(requestCount(), before);
    EXPECT_EQ(page->ListViewArchiv1->topLevelItemCount(), 16);
    EXPECT_EQ(page->FArchOffset, 1056);
    ExpectAtRest(*page);

    whenShown([](QMessageBox& box) {
        QWidget* focused = box.focusWidget() ? box.focusWidget() : &box;
        QTest::keyClick(focused, Qt::Key_Escape);
    });
    page->ReadArchive->click();
    platform::SetDialogs(scripted);
    step();
    EXPECT_EQ(page->ListViewArchiv1->topLevelItemCount(), 0);
    ASSERT_GT(requestCount(), before);
    EXPECT_EQ(instrument.requests()[before], BlockRead(0));
    EXPECT_FALSE(page->StopArchiveReading->isHidden());
}

// The end of a reading is told in the real box, and nothing but an answer closes it: the link's
// timers and the window's events run on under it while it waits.
TEST_F(ArchivePageTest, TheEndOfAReadingStaysOnTheScreenUntilItIsAnswered) {
    sim::FillArchiveWithMeasurements(instrument);
    readUntil(32736);
    platform::Dialogs* scripted = platform::SetDialogs(nullptr);
    QString text;
    bool stayed = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return ADD_FAILURE() << "no message box";
        text = box->text();
        for (int tick = 0; tick < 50; ++tick) {
            host.service(10);
            window->TimerRxTimer();
            window->TimerRSTimeoutTimer();
            QApplication::processEvents();
        }
        stayed = QApplication::activeModalWidget() == box && box->isVisible();
        box->buttons().front()->click();
    });
    step();
    platform::SetDialogs(scripted);
    EXPECT_EQ(text, kReadingDone);
    EXPECT_TRUE(stayed);
    ExpectAtRest(*page);
    EXPECT_EQ(page->ListViewArchiv1->topLevelItemCount(), 512);
}

TEST_F(ArchivePageTest, AChangeOfPageForgetsWhereAReadingWouldResume) {
    readUntil(1056);
    window->Pages->setCurrentIndex(1);
    ExpectAtRest(*page);
    EXPECT_EQ(page->FArchOffset, 0);
    EXPECT_FALSE(window->Comm->IsOpen());
    const std::size_t before = requestCount();
    page->ReadArchive->click();
    step();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(page->ListViewArchiv1->topLevelItemCount(), 0);
    EXPECT_EQ(instrument.requests()[before], BlockRead(0));
}

TEST_F(ArchivePageTest, AnAnswerOfTheWrongLengthIsIgnoredAndTheTimeOutStillEndsTheReading) {
    const struct {
        int hexDigits;
        bool taken;
    } cases[] = {{60, false}, {66, false}, {0, false}, {64, true}, {65, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hexDigits);
        dialogs.shown.clear();
        readUntil(64);
        instrument.pushFault(sim::Fault::AnswerWith(std::string(static_cast<std::size_t>(c.hexDigits), 'A')));
        step();
        const std::size_t before = requestCount();
        const int timeout = TimeoutTicks;
        step();
        if (c.taken) {
            EXPECT_EQ(RecordBytes(page->FRecordBuf)[0], 0xAA);
            ASSERT_GT(requestCount(), before);
            EXPECT_EQ(instrument.requests()[before], BlockRead(96));
        } else {
            EXPECT_EQ(requestCount(), before) << "nothing is sent for an ignored answer";
            EXPECT_EQ(timeout, AnswerTimeoutTicks) << "the ignored answer re-arms the time-out";
            countdown(AnswerTimeoutTicks + 1);
            EXPECT_EQ(dialogs.texts(), std::vector<QString>{kNoLink});
            ExpectAtRest(*page);
            EXPECT_EQ(page->FArchOffset, 64) << "the reading can resume where it waited";
        }
        page->StopArchiveClearingClick(nullptr);
        page->StopArchiveReadingClick(nullptr);
    }
}

TEST_F(ArchivePageTest, AClearingWritesTheRegistersThenABlankRecordOverEveryRecord) {
    sim::FillArchiveWithMeasurements(instrument);
    readUntil(96);
    page->StopArchiveReading->click();
    instrument.clearRequests();
    ASSERT_GT(page->ListViewArchiv1->topLevelItemCount(), 0);

    dialogs.answer(platform::mrYes);
    page->ClearArchive->click();
    ASSERT_EQ(dialogs.texts(),
              std::vector<QString>{U("Все данные архива будут уничтожены!    Продолжить ?")});
    EXPECT_EQ(dialogs.shown[0].type, platform::MsgDlgType::Warning);
    EXPECT_EQ(dialogs.shown[0].buttons, platform::mbYes | platform::mbNo);
    EXPECT_EQ(page->ListViewArchiv1->topLevelItemCount(), 0);
    EXPECT_TRUE(page->ClearArchive->isHidden());
    EXPECT_FALSE(page->StopArchiveClearing->isHidden());
    EXPECT_EQ(window->StatusPanelText(2), U("Стирание архива в приборе"));

    for (int answered = 0; answered < 2 + 200; ++answered) step();
    EXPECT_EQ(page->ArchiveProcess->value(), 100) << "the block at 6400 is the first half of record 101";
    ASSERT_TRUE(runUntil([&] { return page->StopArchiveClearing->isHidden(); }));

    const TArchiveRecord blank = BlankArchiveRecord();
    const std::string firstHalf = Hex(RecordBytes(blank), 32);
    const std::string secondHalf = Hex(RecordBytes(blank) + 32, 32);
    EXPECT_EQ(secondHalf.substr(60), "6701");
    std::vector<std::string> expected = {"1;11;17;2;2;1;", "1;11;49;0;1;0;"};
    for (int offset = 0; offset < 32768; offset += 32)
        expected.push_back("1;11;" + std::to_string(offset) + ";1;4;" +
                           (offset % 64 ? secondHalf : firstHalf) + ";");
    EXPECT_EQ(instrument.requests(), expected);
    for (int n = 0; n < 512; ++n) {
        const sim::ArchiveRecordBytes record = sim::ArchiveRecordAt(instrument, n);
        ASSERT_EQ(Hex(record.data(), 64), firstHalf + secondHalf) << "record " << n;
    }
    EXPECT_EQ(dialogs.shown.size(), 1u) << "a finished clearing says nothing";
    ExpectAtRest(*page);
    EXPECT_EQ(page->ArchiveProcess->value(), 0);
    EXPECT_EQ(page->FArchOffset, 0);
    EXPECT_FALSE(window->Comm->IsOpen());
}

TEST_F(ArchivePageTest, AClearingNotConfirmedSendsNothing) {
    const int answers[] = {platform::mrNo, platform::mrCancel};
    for (int answer : answers) {
        dialogs.answer(answer);
        page->ClearArchive->click();
        step();
        EXPECT_EQ(requestCount(), 0u);
        ExpectAtRest(*page);
    }
}

TEST_F(ArchivePageTest, AReadingAndAClearingNeverRunOverEachOther) {
    // While a reading runs a clearing cannot start, and the reverse; the other start is greyed.
    readUntil(1056);
    EXPECT_FALSE(page->ClearArchive->isEnabled());
    std::size_t before = requestCount();
    page->ClearArchiveClick(page->ClearArchive);
    step();
    EXPECT_TRUE(dialogs.shown.empty()) << "no question while a reading runs";
    EXPECT_EQ(instrument.requests()[before], BlockRead(1056));
    EXPECT_EQ(page->FArchOffset, 1088);
    page->StopArchiveReading->click();
    EXPECT_TRUE(page->ClearArchive->isEnabled());
    instrument.clearRequests();

    clearAnswering(0);  // the first register write is pending: the offset marks it as -1
    EXPECT_FALSE(page->ReadArchive->isEnabled());
    dialogs.shown.clear();
    page->ReadArchiveClick(page->ReadArchive);
    EXPECT_TRUE(dialogs.shown.empty()) << "no resume question while a clearing runs";
    for (int i = 0; i < 4; ++i) step();
    for (const std::string& request : instrument.requests())
        EXPECT_EQ(request.find("1;10;"), std::string::npos)
            << "a block read went out during the clearing: " << request;
    EXPECT_FALSE(page->StopArchiveClearing->isHidden());
    page->StopArchiveClearing->click();

    before = requestCount();
    page->ReadArchive->click();
    step();
    EXPECT_EQ(instrument.requests()[before], BlockRead(0));
}

TEST_F(ArchivePageTest, EveryErrorAnswerStopsTheTransferAndShowsTheInstrumentsText) {
    const struct {
        bool reading;
        int answersBefore;
        int code;
        int offsetAfter;
    } cases[] = {
        {true, 0, 3, 0},  {true, 5, 13, 160}, {true, 2, 14, 64}, {true, 7, 99, 224},
        {false, 0, 4, 0}, {false, 1, 2, 0},   {false, 3, 6, 0},  {false, 2, 20, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << (c.reading ? "reading" : "clearing") << " code " << c.code);
        dialogs.shown.clear();
        if (c.reading)
            readUntil(32 * c.answersBefore);
        else
            clearAnswering(c.answersBefore);
        dialogs.shown.clear();
        instrument.pushFault(sim::Fault::Error(c.code));
        step();
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{QString::fromUtf8(InstrumentErrorText(c.code))});
        ExpectAtRest(*page);
        EXPECT_EQ(page->FArchOffset, c.offsetAfter);
        EXPECT_FALSE(window->Comm->IsOpen());
        const std::size_t before = requestCount();
        step();
        countdown(2 * AnswerTimeoutTicks);
        EXPECT_EQ(requestCount(), before);
        EXPECT_EQ(dialogs.shown.size(), 1u) << "nothing follows the error";
        page->StopArchiveClearingClick(nullptr);
    }
}

TEST_F(ArchivePageTest, AnInstrumentThatFallsSilentEndsTheTransferWithNoLink) {
    const struct {
        bool reading;
        int answersBefore;
        int offsetAfter;
    } cases[] = {{true, 0, 0}, {true, 33, 1056}, {false, 0, 0}, {false, 5, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << (c.reading ? "reading" : "clearing") << " after " << c.answersBefore);
        if (c.reading)
            readUntil(32 * c.answersBefore);
        else
            clearAnswering(c.answersBefore);
        dialogs.shown.clear();
        instrument.pushFault(sim::Fault::Mute());
        step();
        countdown(AnswerTimeoutTicks);
        EXPECT_TRUE(dialogs.shown.empty());
        countdown(1);
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{kNoLink});
        EXPECT_EQ(window->StatusPanelText(0), U("Нет связи"));
        ExpectAtRest(*page);
        EXPECT_EQ(page->FArchOffset, c.offsetAfter);
        EXPECT_EQ(TimeoutTicks, -1);
        page->StopArchiveClearingClick(nullptr);
    }
}

TEST_F(ArchivePageTest, StoppingAClearingSwitchesTheTimeOutOff) {
    clearAnswering(3);
    ASSERT_GE(TimeoutTicks, 0) << "a block write is outstanding";
    page->StopArchiveClearing->click();
    ExpectAtRest(*page);
    EXPECT_EQ(TimeoutTicks, -1);
    countdown(3 * AnswerTimeoutTicks);
    EXPECT_EQ(dialogs.shown.size(), 1u) << "only the clearing's question was shown";
    EXPECT_EQ(window->StatusPanelText(0), U("Есть связь"));
}

TEST_F(ArchivePageTest, EachStopButtonTakesItsStartButtonsPlaceWithoutMovingAnything) {
    sim::FillArchiveWithMeasurements(instrument);
    window->SelectPage(window->Pages->indexOf(page));
    page->resize(1000, 600);
    const auto placed = [this] {
        page->layout()->activate();
        return std::vector<QRect>{page->ReadArchive->geometry(), page->ClearArchive->geometry(),
                                  page->MakeGraph->geometry(), page->ExcelArchive->geometry(),
                                  page->ListViewArchiv1->geometry()};
    };
    const std::vector<QRect> before = placed();

    readUntil(96);
    ASSERT_FALSE(page->StopArchiveReading->isHidden());
    EXPECT_EQ(placed(), before);
    EXPECT_EQ(page->StopArchiveReading->geometry().topLeft(), before[0].topLeft());
    page->StopArchiveReading->click();
    EXPECT_EQ(placed(), before);

    clearAnswering(3);
    ASSERT_FALSE(page->StopArchiveClearing->isHidden());
    EXPECT_EQ(placed(), before);
    EXPECT_EQ(page->StopArchiveClearing->geometry().topLeft(), before[1].topLeft());
    page->StopArchiveClearing->click();
    EXPECT_EQ(placed(), before);
}

}  // namespace
