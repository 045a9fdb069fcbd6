#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <cstring>
#include <vector>

#include "app/model/current_row.h"
#include "app/model/setup_record.h"
#include "app/results/frame_result.h"
#include "platform/class_library/utf8_literal.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"
#include "tests/support/scripted_dialogs.h"

namespace {

// The results page alone, over a set-up record (channels 1 and 2 in kPa and MPa, tolerances 0.5
// and 1.5) and a protocol whose rows hold the number of the press that filled them.
class ResultsPage : public ::testing::Test {
  protected:
    void SetUp() override {
        SetChannelText(setup.data(), 1, channel::UnitsText, U("кПа"));
        SetChannelFloat(setup.data(), 1, channel::Tolerance, 0.5f);
        SetChannelText(setup.data(), 2, channel::UnitsText, U("МПа"));
        SetChannelFloat(setup.data(), 2, channel::Tolerance, 1.5f);
        page.FSetup = setup.data();
        page.Hooks.protocol = [this] { return MeasProtocolRef{protocol.data(), &measCount}; };
    }

    // One "Записать" with the given channels ticked: a protocol row when there is room, then
    // a point per channel that remembers it.
    void press(std::initializer_list<int> channels, bool protocolRowToo = true) {
        int row = -1;
        if (protocolRowToo && measCount < kProtocolRowLimit) {
            row = measCount++;
            std::memset(protocolRow(row), ++presses, kCurrentRowSize);
        }
        for (int c : channels) page.AddResultPoint(c, 0.25f, 50.0f, 0.1f, row);
    }
    // A protocol row "Записать" filled although no results row came with it.
    void pressWithoutPoints() { press({}); }

    std::uint8_t* protocolRow(int i) {
        return protocol.data() + static_cast<std::size_t>(i) * kCurrentRowSize;
    }
    bool protocolRowIs(int i, int value) {
        for (std::size_t b = 0; b < kCurrentRowSize; ++b) {
            if (protocolRow(i)[b] != value) return false;
        }
        return true;
    }
    // Each table row as "channel:point".
    std::vector<QString> rows() const {
        std::vector<QString> result;
        for (int i = 0; i < page.ListViewResults->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = page.ListViewResults->topLevelItem(i);
            result.push_back(item->text(0) + ":" + item->text(1));
        }
        return result;
    }
    void select(int row) { page.ListViewResults->topLevelItem(row)->setSelected(true); }
    // Selects the row and answers the question with answer.
    void removeRow(int row, int answer = platform::IDYES) {
        select(row);
        ASSERT_TRUE(page.BitBtnRemoveLine->isEnabled());
        dialogs.answer(answer);
        page.BitBtnRemoveLine->click();
    }
    std::vector<int> counters() const {
        return {page.FPointCount[0], page.FPointCount[1], page.FPointCount[2], page.FPointCount[3]};
    }

    testing_support::WithApplication application;  // before the page
    testing_support::ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed{dialogs};
    std::vector<std::uint8_t> setup = std::vector<std::uint8_t>(kSetupRecordSize, 0);
    std::vector<std::uint8_t> protocol = std::vector<std::uint8_t>(kProtocolRows * kCurrentRowSize, 0);
    std::int32_t measCount = 0;
    int presses = 0;
    TFrame_Results page;
};

TEST_F(ResultsPage, PointsAreNumberedPerChannelAndShownWithTheChannelsUnitsAndTolerance) {
    QStringList captions;
    for (int c = 0; c < page.ListViewResults->columnCount(); ++c)
        captions << page.ListViewResults->headerItem()->text(c);
    EXPECT_EQ(captions, QStringList({U("№ канала"), U("№ точки"), U("Эталон"), U("Измеренное"),
                                     U("Погрешность, %"), U("  Допуск, %"), U("-Зав.No-")}));
    for (QPushButton* button :
         {page.BitBtnClear, page.BitBtnRemoveLine, page.Btn_ToExcel, page.Btn_ToExcel_Cal})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();

    page.AddResultPoint(2, 0.25f, 0.101f, 0.1f, 0);
    page.AddResultPoint(1, -1.0625f, 49.5f, 50.0f, 0);
    page.AddResultPoint(2, 1.5f, 0.2f, 0.2f, 1);
    page.AddResultPoint(1, 0.0f, 100.0f, 100.0f, 1);
    page.AddResultPoint(4, 0.0f, 0.0f, 0.0f, 1);
    page.AddResultPoint(3, 0.0f, 0.0f, 0.0f, 1);
    EXPECT_EQ(rows(), (std::vector<QString>{"1:1", "1:2", "2:1", "2:2", "3:1", "4:1"}))
        << "listed by channel";
    EXPECT_EQ(counters(), (std::vector<int>{2, 2, 1, 1}));

    const QTreeWidgetItem* first = page.ListViewResults->topLevelItem(2);
    EXPECT_EQ(first->text(2), U("0.1000 МПа"));
    EXPECT_EQ(first->text(3), U("0.1010 МПа"));
    EXPECT_EQ(first->text(4), "0.250");
    EXPECT_EQ(first->text(5), "1.500");
    EXPECT_EQ(first->text(6), "");
    const QTreeWidgetItem* kpa = page.ListViewResults->topLevelItem(0);
    EXPECT_EQ(kpa->text(2), U("50.0000 кПа"));
    EXPECT_EQ(kpa->text(4), "-1.062") << "three decimals";
    EXPECT_EQ(kpa->text(5), "0.500");
    EXPECT_EQ(page.ListViewResults->topLevelItem(4)->text(2), "0.0000 ")
        << "a channel without units shows none";

    for (QPushButton* button : {page.BitBtnClear, page.Btn_ToExcel, page.Btn_ToExcel_Cal})
        EXPECT_TRUE(button->isEnabled());
    EXPECT_FALSE(page.BitBtnRemoveLine->isEnabled()) << "nothing selected yet";
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(ResultsPage, RemovingAPointRemovesItsRowsAndCompactsTheProtocol) {
    for (int i = 0; i < 3; ++i) press({1, 2});
    removeRow(1);  // channel 1, point 2
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, U("Удалить записи точки № 2 ?"));
    EXPECT_EQ(dialogs.shown[0].caption, U("Подтвердите операцию!"));
    EXPECT_EQ(dialogs.shown[0].buttons, platform::MB_ICONWARNING | platform::MB_YESNO);

    EXPECT_EQ(rows(), (std::vector<QString>{"1:1", "1:2", "2:1", "2:2"})) << "point 3 became point 2";
    EXPECT_EQ(measCount, 2);
    EXPECT_TRUE(protocolRowIs(0, 1));
    EXPECT_TRUE(protocolRowIs(1, 3)) << "the third press moved down";
    EXPECT_TRUE(protocolRowIs(2, 0));
    EXPECT_EQ(counters(), (std::vector<int>{2, 2, 0, 0}));
    EXPECT_FALSE(page.BitBtnRemoveLine->isEnabled());
    EXPECT_TRUE(page.BitBtnClear->isEnabled());

    press({1, 2});
    EXPECT_EQ(rows(), (std::vector<QString>{"1:1", "1:2", "1:3", "2:1", "2:2", "2:3"}))
        << "the next points are 3";
    removeRow(4);  // channel 2, point 2: the third press, now in protocol row 1
    EXPECT_EQ(rows(), (std::vector<QString>{"1:1", "1:2", "2:1", "2:2"}));
    EXPECT_TRUE(protocolRowIs(0, 1));
    EXPECT_TRUE(protocolRowIs(1, 4));
    EXPECT_TRUE(protocolRowIs(2, 0));
}

TEST_F(ResultsPage, NoSelectionOrANoLeavesEverythingAsItWas) {
    for (int i = 0; i < 2; ++i) press({1});
    page.BitBtnRemoveLine->setEnabled(true);
    page.BitBtnRemoveLine->click();
    EXPECT_TRUE(dialogs.shown.empty()) << "no selected row, no question";

    removeRow(0, platform::IDNO);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(rows(), (std::vector<QString>{"1:1", "1:2"}));
    EXPECT_EQ(measCount, 2);
    EXPECT_TRUE(protocolRowIs(0, 1));

    // A selection that went away leaves the button on, which then does nothing.
    page.ListViewResults->clearSelection();
    EXPECT_TRUE(page.BitBtnRemoveLine->isEnabled());
    page.BitBtnRemoveLine->click();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(rows().size(), 2u);
}

TEST_F(ResultsPage, APointRemovesTheProtocolRowItWasRecordedWithAndNoOther) {
    pressWithoutPoints();  // an apply that failed: a protocol row without results rows
    press({1, 2});
    press({1, 2});
    removeRow(0);  // point 1, recorded with protocol row 1
    EXPECT_EQ(measCount, 2);
    EXPECT_TRUE(protocolRowIs(0, 1)) << "the row without points stays";
    EXPECT_TRUE(protocolRowIs(1, 3));
    EXPECT_TRUE(protocolRowIs(2, 0));
    removeRow(0);  // the former point 2, now recorded with row 1
    EXPECT_EQ(measCount, 1);
    EXPECT_TRUE(protocolRowIs(0, 1));
    EXPECT_TRUE(protocolRowIs(1, 0));
    EXPECT_TRUE(rows().empty());
    for (QPushButton* button :
         {page.BitBtnClear, page.BitBtnRemoveLine, page.Btn_ToExcel, page.Btn_ToExcel_Cal})
        EXPECT_FALSE(button->isEnabled()) << "the table is empty";
}

TEST_F(ResultsPage, APointRecordedAtAFullProtocolLeavesTheProtocolAlone) {
    struct Case {
        const char* what;
        int filled;
    } cases[] = {{"a full protocol", kProtocolRowLimit}, {"a cleared protocol", 0}};
    for (const Case& c : cases) {
        page.BitBtnClearClick();
        for (int i = 0; i < c.filled; ++i) std::memset(protocolRow(i), i % 250 + 1, kCurrentRowSize);
        measCount = c.filled;
        const std::vector<std::uint8_t> before = protocol;
        page.AddResultPoint(1, 0.0f, 1.0f, 1.0f, -1);
        page.AddResultPoint(2, 0.0f, 1.0f, 1.0f, -1);
        removeRow(0);
        EXPECT_TRUE(rows().empty()) << c.what;
        EXPECT_EQ(measCount, c.filled) << c.what;
        EXPECT_TRUE(protocol == before) << c.what;
    }
}

TEST_F(ResultsPage, ClearingEmptiesTheTableTheCountersAndTheWholeProtocol) {
    for (int i = 0; i < 3; ++i) press({1, 3});
    std::memset(protocolRow(kProtocolRows - 1), 0x7F, kCurrentRowSize);  // even beyond the filled rows
    select(0);
    page.BitBtnClear->click();
    EXPECT_TRUE(dialogs.shown.empty()) << "no confirmation";
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(counters(), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(measCount, 0);
    EXPECT_TRUE(std::all_of(protocol.begin(), protocol.end(), [](std::uint8_t b) { return b == 0; }));
    for (QPushButton* button :
         {page.BitBtnClear, page.BitBtnRemoveLine, page.Btn_ToExcel, page.Btn_ToExcel_Cal})
        EXPECT_FALSE(button->isEnabled());
    press({3});
    EXPECT_EQ(rows(), std::vector<QString>{"3:1"});
}

// A press and release of the left button on the row, as the mouse gives them.
void ClickRow(QTreeWidget* list, int row) {
    QWidget* viewport = list->viewport();
    const QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
    QMouseEvent down(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QMouseEvent up(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &down);
    QCoreApplication::sendEvent(viewport, &up);
}

// Presses the button with Qt's own question box, answered by its Yes button; gives the question.
QString RemoveWithTheRealBox(QPushButton* remove) {
    platform::Dialogs* scripted = platform::SetDialogs(nullptr);
    QString asked;
    QTimer::singleShot(0, [&asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return ADD_FAILURE() << "no question";
        asked = box->text();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == "&Yes") return button->click();
        }
        ADD_FAILURE() << "no Yes";
        box->close();
    });
    remove->click();
    platform::SetDialogs(scripted);
    return asked;
}

// The dark pixels of a row as the list paints it now: its texts.
int InkOfRow(QTreeWidget* list, int row) {
    const QImage image = list->viewport()->grab().toImage();
    const QRect rect = list->visualItemRect(list->topLevelItem(row)) & image.rect();
    int ink = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) ink += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    }
    return ink;
}

// The real path: a mouse press selects the row and the question is Qt's own box.
TEST_F(ResultsPage, AMouseSelectionAndTheRealQuestionRemoveAPoint) {
    press({1});
    press({1});
    page.resize(900, 400);
    page.show();
    ClickRow(page.ListViewResults, 1);
    ASSERT_TRUE(page.BitBtnRemoveLine->isEnabled());
    EXPECT_EQ(RemoveWithTheRealBox(page.BitBtnRemoveLine), U("Удалить записи точки № 2 ?"));
    EXPECT_EQ(rows(), std::vector<QString>{"1:1"});
    EXPECT_EQ(measCount, 1);
    EXPECT_TRUE(protocolRowIs(0, 1));
}

// The list itself would make the next row current and selected while the chosen one goes, and
// paint it without its texts until the next click.
TEST_F(ResultsPage, TheRowThatTakesARemovedRowsPlaceIsDrawnAtOnce) {
    for (int i = 0; i < 3; ++i) press({1});
    page.resize(900, 400);
    page.show();
    ClickRow(page.ListViewResults, 1);
    ASSERT_TRUE(page.BitBtnRemoveLine->isEnabled());
    const int inkOfARow = InkOfRow(page.ListViewResults, 2);
    ASSERT_GT(inkOfARow, 0);
    RemoveWithTheRealBox(page.BitBtnRemoveLine);
    ASSERT_EQ(rows(), (std::vector<QString>{"1:1", "1:2"}));
    EXPECT_GT(InkOfRow(page.ListViewResults, 1), inkOfARow / 2)
        << "the former point 3 is painted with its texts";
    EXPECT_TRUE(page.ListViewResults->selectedItems().isEmpty()) << "no row is chosen after a removal";
    EXPECT_FALSE(page.BitBtnRemoveLine->isEnabled());
}

}  // namespace
