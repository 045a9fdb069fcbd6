#pragma once

#include <gtest/gtest.h>

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/archive/frame_archive.h"
#include "platform/class_library/utf8_literal.h"
#include "sim/archive.h"
#include "sim/hosts.h"
#include "sim/instrument.h"
#include "tests/app/window_fixture.h"

namespace archive_testing {

inline const QString kNoLink = U("Нет связи с устройством!");
inline const QString kReadingDone = U("Чтение архива закончено.");

// The block read and block write request bodies the instrument receives.
inline std::string BlockRead(int offset) { return "1;10;" + std::to_string(offset) + ";1;4;"; }

inline std::string Hex(const std::uint8_t* bytes, int count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
    }
    return text;
}

// The page with nothing running: both start buttons shown and usable, no gauge, no exchange.
inline void ExpectAtRest(const TFrameArchiv& page) {
    EXPECT_FALSE(page.ReadArchive->isHidden());
    EXPECT_TRUE(page.ReadArchive->isEnabled());
    EXPECT_TRUE(page.StopArchiveReading->isHidden());
    EXPECT_FALSE(page.ClearArchive->isHidden());
    EXPECT_TRUE(page.ClearArchive->isEnabled());
    EXPECT_TRUE(page.StopArchiveClearing->isHidden());
    EXPECT_TRUE(page.ArchiveProcess->isHidden());
    EXPECT_EQ(Requester, nullptr);
    EXPECT_FALSE(UiExchange);
}

// Row n's texts after the number: empty for a record that failed its check.
inline QStringList Cells(const QTreeWidget& table, int row) {
    QStringList cells;
    const QTreeWidgetItem* item = table.topLevelItem(row);
    for (int column = 1; item && column < item->columnCount(); ++column) cells << item->text(column);
    return cells;
}

inline QStringList BlankCells() { return QStringList(16, QStringLiteral("------")); }

}  // namespace archive_testing

// The main window with the simulated instrument on its in-memory line: every step answers the
// last request and runs one tick of the receive pump.
class ArchivePageTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        dialogs.shown.clear();
        page = window->FrameArchiv1;
    }

    void step() {
        host.service(0);
        window->TimerRxTimer();
    }
    // Steps until the condition holds; false when a whole archive's worth of exchanges did not do.
    bool runUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 4 * sim::Instrument::kArchiveRecords + 8; ++i) {
            if (done()) return true;
            step();
        }
        return done();
    }
    void countdown(int ticks) {
        for (int i = 0; i < ticks; ++i) window->TimerRSTimeoutTimer();
    }
    // Starts a reading at record 1 and answers until the given block is the one requested.
    void readUntil(int offset) {
        page->ReadArchiveClick(page->ReadArchive);
        ASSERT_TRUE(runUntil([&] { return page->FArchOffset == offset; }));
    }
    // Starts a clearing (confirmed) and answers the given number of its requests.
    void clearAnswering(int answers) {
        dialogs.answer(platform::mrYes);
        page->ClearArchiveClick(page->ClearArchive);
        for (int i = 0; i < answers; ++i) step();
    }
    std::size_t requestCount() const { return instrument.requests().size(); }

    sim::Instrument instrument{1};
    sim::MemoryHost host{instrument, line};
    TFrameArchiv* page = nullptr;
};
