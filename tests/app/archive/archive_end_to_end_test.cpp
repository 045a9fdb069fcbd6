// The archive page against the simulated instrument on a real pseudo-terminal.
#include <gtest/gtest.h>

#include "link/instrument_errors.h"
#include "link/my_comm.h"
#include "tests/app/archive/archive_page_fixture.h"
#include "tests/app/simulator_window_fixture.h"

namespace {

using namespace archive_testing;

class ArchiveOnSimulator : public WindowOnSimulator {
  protected:
    void SetUp() override {
        WindowOnSimulator::SetUp();
        page = window->FrameArchiv1;
    }
    // Runs exchange after exchange until the condition holds; each must cross the line in time.
    bool exchangeUntil(const std::function<bool()>& done) {
        while (!done()) {
            const int step = WorkStep;
            if (!pumpUntil([&] { return WorkStep != step || done(); })) return false;
        }
        return true;
    }
    // The instrument has taken the request the page sent last.
    bool requestArrives() {
        const std::size_t before = instrument.requests().size();
        return testing_support::WaitUntil([&] {
            host.service(0);
            return instrument.requests().size() > before;
        });
    }

    TFrameArchiv* page = nullptr;
};

TEST_F(ArchiveOnSimulator, AFullReadingGivesEveryRecordARowAndReportsCorruptedOnesByTheirNumberOnly) {
    for (int n : {100, 101, 102}) sim::SetArchiveRecord(instrument, n, sim::MeasuredArchiveRecordBytes(n));
    for (int n : {0, 101, 255, 511}) sim::CorruptArchiveRecord(instrument, n);
    page->ReadArchive->click();
    ASSERT_TRUE(exchangeUntil([&] { return !dialogs.shown.empty(); }));

    EXPECT_EQ(dialogs.texts(), std::vector<QString>{kReadingDone});
    EXPECT_EQ(instrument.requests().size(), 1024u);
    const QTreeWidget& table = *page->ListViewArchiv1;
    ASSERT_EQ(table.topLevelItemCount(), 512);
    for (int row : {0, 101, 255, 511}) {
        EXPECT_EQ(table.topLevelItem(row)->text(0), QString::number(row + 1));
        EXPECT_EQ(Cells(table, row), QStringList()) << "row " << row + 1;
    }
    for (int row : {1, 99, 254, 256, 510}) EXPECT_EQ(Cells(table, row), BlankCells()) << "row " << row + 1;
    EXPECT_EQ(page->ArchiveProcess->value(), 511);
    ExpectAtRest(*page);
    EXPECT_EQ(window->StatusPanelText(0), U("Есть связь"));
}

TEST_F(ArchiveOnSimulator, AStoppedReadingResumesFromTheRecordTheQuestionNames) {
    sim::FillArchiveWithMeasurements(instrument);
    page->ReadArchive->click();
    ASSERT_TRUE(exchangeUntil([&] { return page->FArchOffset == 1056; }));
    page->StopArchiveReading->click();
    EXPECT_FALSE(window->Comm->IsOpen());
    EXPECT_EQ(page->ListViewArchiv1->topLevelItemCount(), 16);

    dialogs.answer(platform::mrYes);
    const std::size_t before = instrument.requests().size();
    page->ReadArchive->click();
    EXPECT_EQ(dialogs.texts(), std::vector<QString>{U("Продолжить чтение с записи 17 ?")});
    ASSERT_TRUE(requestArrives());
    EXPECT_EQ(instrument.requests()[before], BlockRead(1056));
    ASSERT_TRUE(exchangeUntil([&] { return page->ListViewArchiv1->topLevelItemCount() == 17; }));
    const sim::ArchiveRecordBytes record17 = sim::ArchiveRecordAt(instrument, 16);
    EXPECT_EQ(Hex(RecordBytes(page->FRecordBuf), 64), Hex(record17.data(), 64));

    ASSERT_TRUE(exchangeUntil([&] { return dialogs.shown.size() == 2; }));
    EXPECT_EQ(dialogs.texts().back(), kReadingDone);
    EXPECT_EQ(page->ListViewArchiv1->topLevelItemCount(), 512);
}

TEST_F(ArchiveOnSimulator, AClearingLeavesEveryRecordBlankWithItsChecksum) {
    sim::FillArchiveWithMeasurements(instrument);
    dialogs.answer(platform::mrYes);
    page->ClearArchive->click();
    ASSERT_TRUE(exchangeUntil([&] { return page->StopArchiveClearing->isHidden(); }));

    EXPECT_EQ(instrument.requests().size(), 2u + 1024u);
    for (int n = 0; n < 512; ++n) {
        const sim::ArchiveRecordBytes record = sim::ArchiveRecordAt(instrument, n);
        ASSERT_EQ(record, sim::BlankArchiveRecordBytes()) << "record " << n;
        ASSERT_EQ(record[62], 0x67);
        ASSERT_EQ(record[63], 0x01);
    }
    EXPECT_EQ(instrument.wordAt(2, 17), 1) << "the archive word written first";
    EXPECT_EQ(dialogs.shown.size(), 1u);
    ExpectAtRest(*page);
}

TEST_F(ArchiveOnSimulator, ASilentOrRefusingInstrumentEndsTheTransferWithItsMessage) {
    const struct {
        bool reading;
        sim::Fault fault;
        QString message;
    } cases[] = {
        {true, sim::Fault::Mute(), kNoLink},
        {true, sim::Fault::Error(5), QString::fromUtf8(InstrumentErrorText(5))},
        {false, sim::Fault::Mute(), kNoLink},
        {false, sim::Fault::Error(11), QString::fromUtf8(InstrumentErrorText(11))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        dialogs.shown.clear();
        const int start = WorkStep;
        if (c.reading) {
            page->ReadArchive->click();
        } else {
            dialogs.answer(platform::mrYes);
            page->ClearArchive->click();
        }
        ASSERT_TRUE(exchangeUntil([&] { return WorkStep >= start + 4; }));
        dialogs.shown.clear();
        instrument.pushFault(c.fault);
        ASSERT_TRUE(requestArrives());
        if (c.fault.kind == sim::Fault::Silence) {
            countdown(AnswerTimeoutTicks + 1);
        } else {
            ASSERT_TRUE(pumpUntil([&] { return !dialogs.shown.empty(); }));
        }
        EXPECT_EQ(dialogs.texts(), std::vector<QString>{c.message});
        ExpectAtRest(*page);
        EXPECT_FALSE(window->Comm->IsOpen());
        page->StopArchiveClearingClick(nullptr);
    }
}

}  // namespace
