// The desktop's editing shortcuts in the number edits of every page, by real key events.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <vector>

#include "app/calibration/form_grad.h"
#include "app/measurement/frame_meas.h"
#include "app/settings/frame_settings.h"
#include "app/setup/frame_tune.h"
#include "tests/app/window_fixture.h"
#include "tests/support/printers.h"

namespace {

class EditingShortcuts : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        dialogs.shown.clear();
    }

    struct FilteredEdit {
        QLineEdit* edit;
        const char* before;  // a value the page could hold
        const char* pasted;  // a text with characters the filter drops or replaces
        const char* kept;    // what the paste puts in
    };

    // The filtered edits of the pages, each with a text for its filter.
    std::vector<FilteredEdit> filteredEdits() const {
        TFrameTune* tune = window->FrameTune1;
        TFrameZKV_Settings* settings = window->FrameZKV_Settings1;
        TFrameMeas* meas = window->FrameMeas1;
        return {
            {tune->Edit1, "20.5", "1,5e2 x\r", "1.5E2"},
            {tune->Edit_Kf_Fault, "1.0000", "0,5abc", "0.5"},
            {tune->edZavNoZKV, "01234", "12 34\t5", "12345"},
            {settings->cfgHiP, "250.0000", "1ю5;0", "1.50"},
            {settings->cfgNo_1, "1234567", "12.3-4a5", "12345"},
            {meas->edP_hand, "12.5", "7/25kPa", "7.25"},
            {grad->FrameZKV_Grad1->CMSampleValue, "4.00", "1,25 mA", "1.25"},
        };
    }
};

TEST_F(EditingShortcuts, SelectAllCopyCutAndUndoWorkInEveryFilteredEdit) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const FilteredEdit& f : filteredEdits()) {
        const std::string name = f.edit->objectName().toStdString();
        f.edit->setText(QString::fromUtf8(f.before));

        QTest::keyClick(f.edit, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(f.edit->selectedText(), QString::fromUtf8(f.before)) << name << ": select all";
        QTest::keyClick(f.edit, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(clipboard->text(), QString::fromUtf8(f.before)) << name << ": copy";
        QTest::keyClicks(f.edit, "9");
        EXPECT_EQ(f.edit->text(), "9") << name << ": typing replaces the selection";

        QTest::keyClick(f.edit, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(f.edit->text(), QString::fromUtf8(f.before)) << name << ": undo";

        QTest::keyClick(f.edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(f.edit, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(f.edit->text(), QString()) << name << ": cut";
        EXPECT_EQ(clipboard->text(), QString::fromUtf8(f.before)) << name << ": cut";
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(EditingShortcuts, APasteTakesWhatTypingTheTextWouldTake) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (const FilteredEdit& f : filteredEdits()) {
        const std::string name = f.edit->objectName().toStdString();
        const struct {
            const char* how;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        } pastes[] = {{"Ctrl+V", Qt::Key_V, Qt::ControlModifier},
                      {"Shift+Insert", Qt::Key_Insert, Qt::ShiftModifier}};
        for (const auto& paste : pastes) {
            f.edit->setText(QString::fromUtf8(f.before));
            QTest::keyClick(f.edit, Qt::Key_A, Qt::ControlModifier);
            clipboard->setText(QString::fromUtf8(f.pasted));
            QTest::keyClick(f.edit, paste.key, paste.modifiers);
            EXPECT_EQ(f.edit->text(), QString::fromUtf8(f.kept)) << name << " " << paste.how;

            clipboard->setText("abc");
            QTest::keyClick(f.edit, paste.key, paste.modifiers);
            EXPECT_EQ(f.edit->text(), QString::fromUtf8(f.kept))
                << name << " " << paste.how << ": nothing the filter takes, nothing changes";
        }
    }
}

}  // namespace
