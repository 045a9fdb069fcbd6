// Importing an archive file through the main window's menu.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/model/archive_file.h"
#include "app/model/archive_texts.h"
#include "tests/app/archive/archive_page_fixture.h"
#include "tests/app/archive_file_bytes.h"
#include "tests/support/printers.h"

namespace {

using namespace archive_testing;

// Should an import block opening the FIFO for reading, this opens the other end now and then
// (which only succeeds while someone waits to read), so that the test fails instead of hanging.
class FifoRescue {
public:
    explicit FifoRescue(const std::string& fifo)
        : thread_([this, fifo] {
              std::unique_lock<std::mutex> lock(mutex_);
              while (!ended_.wait_for(lock, std::chrono::seconds(10), [this] { return finished_; })) {
                  const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                  if (fd < 0) continue;
                  rescued_ = true;
                  close(fd);
              }
          }) {}
    ~FifoRescue() { finish(); }
    FifoRescue(const FifoRescue&) = delete;
    FifoRescue& operator=(const FifoRescue&) = delete;

    // True when the FIFO had to be opened.
    bool finish() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
        }
        ended_.notify_all();
        if (thread_.joinable()) thread_.join();
        return rescued_;
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool finished_ = false;
    bool rescued_ = false;
    std::thread thread_;
};

// Holds the process to the address space it has now and a gigabyte more for the scope, so that
// a reading without end runs out of memory here instead of taking the machine's.
class AddressSpaceCap {
public:
    AddressSpaceCap() {
        getrlimit(RLIMIT_AS, &old_);
        unsigned long long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit cap = old_;
        cap.rlim_cur = std::min<rlim_t>(
            old_.rlim_max, pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{1} << 30));
        setrlimit(RLIMIT_AS, &cap);
    }
    ~AddressSpaceCap() { setrlimit(RLIMIT_AS, &old_); }
    AddressSpaceCap(const AddressSpaceCap&) = delete;
    AddressSpaceCap& operator=(const AddressSpaceCap&) = delete;

private:
    rlimit old_{};
};

class ArchiveImport : public ArchivePageTest {
protected:
    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = folder.file(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // Chooses the file in the menu's dialog; answers the message box that follows.
    void importThroughTheMenu(const std::string& path) {
        dialogs.answerFile(QString::fromStdString(path));
        window->N8_Import_Archive->trigger();
    }
    void addRows(int count) {
        for (int n = 0; n < count; ++n) {
            TArchiveRecord record;
            std::memcpy(&record, sim::MeasuredArchiveRecordBytes(n).data(), sizeof record);
            page->AddArchiveRow(page->ListViewArchiv1, record);
        }
    }
    int rows() const { return page->ListViewArchiv1->topLevelItemCount(); }
};

TEST_F(ArchiveImport, TheMenuTellsHowTheImportWentAndShowsTheArchive) {
    std::vector<sim::ArchiveRecordBytes> records = MeasuredRecords(5);
    records.push_back(sim::BlankArchiveRecordBytes());
    sim::ArchiveRecordBytes failed = sim::MeasuredArchiveRecordBytes(6);
    failed[4] ^= 0x5A;
    records.push_back(failed);
    const std::string simulated = write("archive.zkv", ArchiveFileOf(records));
    const std::string longer = write("longer.zkv", ArchiveFileOf(MeasuredRecords(600)));
    const std::string wrong = write("project.zkv", "[Project]\r\nName=x\r\n");
    const std::string empty = write("empty.zkv", "");
    const std::string fifo = folder.file("fifo.zkv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = folder.file("zero.zkv");
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    // Records at the start, then a hole up to the size.
    const std::string largest = write("largest.zkv", ArchiveFileOf(MeasuredRecords(3)));
    std::filesystem::resize_file(largest, kArchiveFileMaxBytes);
    const std::string tooLarge = write("too-large.zkv", ArchiveFileOf(MeasuredRecords(3)));
    std::filesystem::resize_file(tooLarge, kArchiveFileMaxBytes + 1);

    const struct {
        const char* name;
        std::string path;
        const char* message;
        platform::MsgDlgType type;
        int rows;  // -1: the table stays as it was
        int page;
    } cases[] = {
        {"the simulator's records", simulated, "Импортировано 7 записей.", platform::MsgDlgType::Information, 7, 4},
        {"more than the instrument holds", longer, "Импортировано 600 записей.", platform::MsgDlgType::Information,
         600, 4},
        {"a file of another kind", wrong, "Неверный формат файла!", platform::MsgDlgType::Error, 0, 0},
        {"an empty file", empty, "Неверный формат файла!", platform::MsgDlgType::Error, 0, 0},
        {"a file that is not there", folder.file("missing.zkv"), "Невозможно открыть файл!",
         platform::MsgDlgType::Error, -1, 0},
        {"a folder", folder.path(), "Невозможно открыть файл!", platform::MsgDlgType::Error, -1, 0},
        // No archive file is a FIFO, a device or larger than the bound, and none is taken.
        {"a FIFO with no writer", fifo, "Неверный формат файла!", platform::MsgDlgType::Error, -1, 0},
        {"a link to /dev/zero", zero, "Неверный формат файла!", platform::MsgDlgType::Error, -1, 0},
        {"a file of the largest size", largest, "Импортировано 3 записей.", platform::MsgDlgType::Information,
         3, 4},
        {"a file past the largest size", tooLarge, "Неверный формат файла!", platform::MsgDlgType::Error, -1,
         0},
    };
    FifoRescue rescue(fifo);
    const AddressSpaceCap cap;
    for (const auto& c : cases) {
        window->SelectPage(0);
        page->ListViewArchiv1->clear();
        addRows(2);
        dialogs.shown.clear();
        importThroughTheMenu(c.path);
        ASSERT_EQ(dialogs.shown.size(), 2u) << c.name;
        EXPECT_EQ(dialogs.shown[0].kind, testing_support::ShownDialog::Kind::OpenFile);
        EXPECT_EQ(dialogs.shown[0].file.title, U("Открыть файл архива ЗКВ"));
        EXPECT_EQ(dialogs.shown[1].text, U(c.message)) << c.name;
        EXPECT_EQ(dialogs.shown[1].type, c.type) << c.name;
        EXPECT_EQ(dialogs.shown[1].buttons, platform::mbYes) << c.name;
        EXPECT_EQ(rows(), c.rows < 0 ? 2 : c.rows) << c.name;
        EXPECT_EQ(window->Pages->currentIndex(), c.page) << c.name;
    }
    EXPECT_FALSE(rescue.finish()) << "the import blocked opening a FIFO";

    // The simulator's records, row by row.
    importThroughTheMenu(simulated);
    ASSERT_EQ(rows(), 7);
    QStringList units;
    for (int i = 0; i < page->UnitStr->count(); ++i) units << page->UnitStr->item(i)->text();
    for (int n = 0; n < 5; ++n) {
        TArchiveRecord record;
        std::memcpy(&record, records[static_cast<std::size_t>(n)].data(), sizeof record);
        EXPECT_EQ(Cells(*page->ListViewArchiv1, n), ArchiveCellTexts(record, units)) << n;
    }
    EXPECT_EQ(Cells(*page->ListViewArchiv1, 5), BlankCells());
    EXPECT_EQ(Cells(*page->ListViewArchiv1, 6), QStringList());
    EXPECT_EQ(page->ListViewArchiv1->topLevelItem(6)->text(0), "7");
}

// Scrolling lays out the whole table: an import that scrolled at every row would take time
// growing with the square of its records.
TEST_F(ArchiveImport, AnImportScrollsOnceToItsLastRowWhereAReadingFollowsEveryRow) {
    QTreeWidget* table = page->ListViewArchiv1;
    window->SelectPage(4);  // the table on the screen, at its size
    int moves = 0;
    QObject::connect(table->verticalScrollBar(), &QScrollBar::valueChanged, [&moves] { ++moves; });
    const auto lastRowShown = [&] {
        const QTreeWidgetItem* last = table->topLevelItem(rows() - 1);
        const QRect shown = table->visualItemRect(last);
        return last != nullptr && shown.top() >= 0 && shown.bottom() <= table->viewport()->rect().bottom();
    };

    importThroughTheMenu(write("archive.zkv", ArchiveFileOf(MeasuredRecords(600))));
    ASSERT_EQ(rows(), 600);
    EXPECT_EQ(moves, 1);
    EXPECT_TRUE(lastRowShown());

    // The rows of a reading come one by one, and the table shows each as it comes.
    sim::FillArchiveWithMeasurements(instrument);
    page->ReadArchive->click();
    for (int row = 1; row <= 60; ++row) {
        ASSERT_TRUE(runUntil([&] { return rows() == row; }));
        EXPECT_TRUE(lastRowShown()) << row;
    }
    page->StopArchiveReading->click();
}

TEST_F(ArchiveImport, ACancelledDialogImportsNothing) {
    addRows(3);
    window->N8_Import_Archive->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(window->Pages->currentIndex(), 0);
}

TEST_F(ArchiveImport, AnImportStopsARunningTransferAndForgetsWhereAReadingWouldResume) {
    sim::FillArchiveWithMeasurements(instrument);
    const std::string file = write("archive.zkv", ArchiveFileOf(MeasuredRecords(3)));
    const struct {
        const char* name;
        std::function<void()> start;
    } cases[] = {
        {"a running reading", [&] { readUntil(1056); }},
        {"a stopped reading", [&] {
             readUntil(1056);
             page->StopArchiveReading->click();
         }},
        {"a running clearing", [&] { clearAnswering(3); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.start();
        dialogs.shown.clear();
        EXPECT_EQ(page->ImportArchiveFile(QString::fromStdString(file)), 3);
        ExpectAtRest(*page);
        EXPECT_EQ(page->FArchOffset, 0);
        // Nothing more arrives in the imported table, and nothing more is asked for.
        const std::size_t requests = requestCount();
        for (int i = 0; i < 4; ++i) step();
        EXPECT_EQ(requestCount(), requests);
        EXPECT_EQ(rows(), 3);
        // The next reading starts afresh, without asking where.
        page->ReadArchive->click();
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_EQ(rows(), 0);
        page->StopArchiveReading->click();
    }
}

TEST_F(ArchiveImport, AFileThatCannotBeOpenedLeavesARunningReadingAlone) {
    sim::FillArchiveWithMeasurements(instrument);
    readUntil(1056);
    EXPECT_EQ(page->ImportArchiveFile(QString::fromStdString(folder.file("missing.zkv"))), -1);
    EXPECT_FALSE(page->StopArchiveReading->isHidden());
    EXPECT_EQ(rows(), 16);
    ASSERT_TRUE(runUntil([&] { return rows() == 17; }));
}

TEST_F(ArchiveImport, TheReportIsARealModalBoxWithItsSingleYesButton) {
    const std::string file = write("archive.zkv", ArchiveFileOf(MeasuredRecords(3)));
    // The file dialog stays scripted; the message box that follows is Qt's own.
    struct QtMessageBoxes : testing_support::ScriptedDialogs {
        int messageDlg(const QString& text, platform::MsgDlgType type, platform::MsgDlgButtons buttons) override {
            platform::Dialogs* scripted = platform::SetDialogs(nullptr);
            const int result = platform::MessageDlg(text, type, buttons);
            platform::SetDialogs(scripted);
            return result;
        }
    } mixed;
    mixed.answerFile(QString::fromStdString(file));
    testing_support::InstalledDialogs installedMixed(mixed);

    QString title;
    QString text;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no message box";
            return;
        }
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton* button : box->buttons()) buttons << button->text();
        box->buttons().first()->click();
    });
    window->N8_Import_Archive->trigger();
    EXPECT_EQ(title, "Information");
    EXPECT_EQ(text, U("Импортировано 3 записей."));
    EXPECT_EQ(buttons, QStringList{"&Yes"});
    EXPECT_EQ(window->Pages->currentIndex(), 4);
    EXPECT_EQ(rows(), 3);
}

}  // namespace
