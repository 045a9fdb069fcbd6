#include "platform/class_library/dialogs.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <functional>
#include <memory>

#include "platform/class_library/file_filter.h"
#include "platform/system/clock.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_folder.h"

namespace {

using namespace platform;
using testing_support::ScriptedDialogs;
using testing_support::ShownDialog;

TEST(FileFilter, TurnsTheFormsFilterIntoQtNameFilters) {
    const struct {
        const char* filter;
        const char* qt;
    } cases[] = {
        {"Проект АРМ ЗКВ|*.zkv|Все файлы|*.*", "Проект АРМ ЗКВ (*.zkv);;Все файлы (*.*)"},
        {"Книги|*.xls;*.xlsx", "Книги (*.xls *.xlsx)"},
        {"Текст|*.txt|Забытое", "Текст (*.txt)"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtNameFilter(QString::fromUtf8(c.filter)), QString::fromUtf8(c.qt)) << c.filter;
}

TEST(FileFilter, AddsTheDefaultExtensionOnlyToANameWithout) {
    const struct {
        const char* path;
        const char* ext;
        const char* result;
    } cases[] = {
        {"/home/u/test", "zkv", "/home/u/test.zkv"},
        {"/home/u/test", ".zkv", "/home/u/test.zkv"},
        {"/home/u/test.zkv", "zkv", "/home/u/test.zkv"},
        {"/home/u/test.txt", "zkv", "/home/u/test.txt"},
        {"/home/u/test.", "zkv", "/home/u/test.zkv"},
        {"/home/u.v/test", "zkv", "/home/u.v/test.zkv"},
        {"/home/u/test", "", "/home/u/test"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WithDefaultExtension(c.path, c.ext), c.result) << c.path << " + " << c.ext;
}

TEST(ScriptedDialogs, WithoutAScriptEveryDialogTakesItsSafestWayOut) {
    ScriptedDialogs dialogs;
    const struct {
        MsgDlgButtons buttons;
        int result;
    } messageCases[] = {
        {mbOK, mrOk},         {mbOK | mbCancel, mrOk}, {mbYes | mbNo | mbCancel, mrCancel},
        {mbYes | mbNo, mrNo}, {mbYes, mrYes},
    };
    for (const auto& c : messageCases) {
        EXPECT_EQ(dialogs.messageDlg("?", MsgDlgType::Confirmation, c.buttons), c.result) << c.buttons;
    }
    const struct {
        unsigned flags;
        int result;
    } boxCases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL | MB_ICONQUESTION, IDCANCEL},
        {MB_YESNOCANCEL | MB_ICONWARNING, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, IDNO},
        {MB_ICONERROR, IDOK},
    };
    for (const auto& c : boxCases)
        EXPECT_EQ(dialogs.messageBox(nullptr, "?", "C", c.flags), c.result) << c.flags;
    QString value = "kept";
    EXPECT_FALSE(dialogs.inputQuery("C", "P", value));
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(dialogs.openFile({"zkv", "A|*.zkv", "Open"}), std::nullopt);
    EXPECT_EQ(dialogs.saveFile({"zkv", "A|*.zkv", "Save"}), std::nullopt);
}

TEST(ScriptedDialogs, AnswersInScriptOrderAndRecordsWhatWasShown) {
    ScriptedDialogs dialogs;
    dialogs.answer(mrYes);
    dialogs.answerInput(true, "typed");
    dialogs.answer(IDNO);
    dialogs.answerFile(QString("/data/report"));
    dialogs.answerInput(false, "ignored");

    EXPECT_EQ(dialogs.messageDlg("Save?", MsgDlgType::Confirmation, mbYes | mbNo), mrYes);
    dialogs.showMessage("Saved");
    QString value = "first";
    EXPECT_TRUE(dialogs.inputQuery("Name", "Enter a name", value));
    EXPECT_EQ(value, "typed");
    EXPECT_EQ(dialogs.messageBox(nullptr, "Quit?", "Caption", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(dialogs.saveFile({"zkv", "Проект|*.zkv", "Save as"}), QString("/data/report.zkv"));
    EXPECT_FALSE(dialogs.inputQuery("Name", "Again", value));
    EXPECT_EQ(value, "typed");
    EXPECT_EQ(dialogs.unanswered(), 0u);

    ASSERT_EQ(dialogs.shown.size(), 6u);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<QString>{"Save?", "Saved", "Enter a name", "Quit?", "Save as", "Again"}));
    const ShownDialog& confirm = dialogs.shown[0];
    EXPECT_EQ(confirm.kind, ShownDialog::Kind::MessageDlg);
    EXPECT_EQ(confirm.type, MsgDlgType::Confirmation);
    EXPECT_EQ(confirm.buttons, unsigned{mbYes | mbNo});
    EXPECT_EQ(dialogs.shown[1].kind, ShownDialog::Kind::ShowMessage);
    EXPECT_EQ(dialogs.shown[2].caption, "Name");
    EXPECT_EQ(dialogs.shown[2].value, "first");
    EXPECT_EQ(dialogs.shown[3].caption, "Caption");
    EXPECT_EQ(dialogs.shown[3].buttons, unsigned{MB_YESNO | MB_ICONQUESTION});
    EXPECT_EQ(dialogs.shown[4].kind, ShownDialog::Kind::SaveFile);
    EXPECT_EQ(dialogs.shown[4].file.filter, "Проект|*.zkv");
    EXPECT_EQ(dialogs.shown[4].file.defaultExt, "zkv");
}

TEST(ScriptedDialogs, AnAnswerOfTheWrongKindFailsAndWaitsForItsDialog) {
    ScriptedDialogs dialogs;
    dialogs.answerFile(QString("/data/a.zkv"));
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(dialogs.messageDlg("Delete?", MsgDlgType::Warning, mbYes | mbNo), mrNo),
                            "not one for messageDlg");
    EXPECT_EQ(dialogs.openFile({"zkv", "", ""}), QString("/data/a.zkv"));
}

TEST(ScriptedDialogs, InstalledDialogsAnswerThroughThePlatformCallsForTheirScope) {
    ScriptedDialogs outer;
    ScriptedDialogs inner;
    Dialogs* before = &CurrentDialogs();
    {
        testing_support::InstalledDialogs installOuter(outer);
        {
            testing_support::InstalledDialogs installInner(inner);
            ShowMessage("to inner");
        }
        ShowMessage("to outer");
        EXPECT_EQ(&CurrentDialogs(), &outer);
    }
    EXPECT_EQ(&CurrentDialogs(), before);
    EXPECT_EQ(inner.texts(), std::vector<QString>{"to inner"});
    EXPECT_EQ(outer.texts(), std::vector<QString>{"to outer"});
}

// The Qt dialogs, driven from inside their own modal loop by a zero-time timer.
class QtDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::EnsureApplication();
        // A test program may have installed others; these tests are about Qt's.
        previous_ = SetDialogs(nullptr);
    }
    void TearDown() override { SetDialogs(previous_); }

    // Runs act on the modal dialog once it is up.
    template <typename DialogType>
    static void WhenShown(std::function<void(DialogType&)> act) {
        QTimer::singleShot(0, [act] {
            auto* dialog = qobject_cast<DialogType*>(QApplication::activeModalWidget());
            if (!dialog) {
                ADD_FAILURE() << "no modal dialog of the expected kind";
                if (QWidget* other = QApplication::activeModalWidget()) other->close();
                return;
            }
            act(*dialog);
        });
    }

    static QStringList ButtonTexts(const QMessageBox& box) {
        QStringList texts;
        for (const QAbstractButton* button : box.buttons()) texts << button->text();
        texts.sort();
        return texts;
    }

    static void Click(QMessageBox& box, const QString& text) {
        for (QAbstractButton* button : box.buttons()) {
            if (button->text() == text) return button->click();
        }
        ADD_FAILURE() << "no button " << text.toStdString();
        box.close();
    }

  private:
    Dialogs* previous_ = nullptr;
};

TEST_F(QtDialogs, MessageDlgCaptionsByTypeAndAnswersByButton) {
    const struct {
        MsgDlgType type;
        QString caption;
        QMessageBox::Icon icon;
    } cases[] = {
        {MsgDlgType::Warning, "Warning", QMessageBox::Warning},
        {MsgDlgType::Error, "Error", QMessageBox::Critical},
        {MsgDlgType::Information, "Information", QMessageBox::Information},
        {MsgDlgType::Confirmation, "Confirm", QMessageBox::Question},
        {MsgDlgType::Custom, QCoreApplication::applicationName(), QMessageBox::NoIcon},
    };
    for (const auto& c : cases) {
        QString caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
        WhenShown<QMessageBox>([&](QMessageBox& box) {
            caption = box.windowTitle();
            icon = box.icon();
            buttons = ButtonTexts(box);
            Click(box, "&No");
        });
        EXPECT_EQ(MessageDlg("Text", c.type, mbYes | mbNo | mbCancel), mrNo);
        EXPECT_EQ(caption, c.caption);
        EXPECT_EQ(icon, c.icon) << c.caption.toStdString();
        EXPECT_EQ(buttons, (QStringList{"&No", "&Yes", "Cancel"}));
    }
}

TEST_F(QtDialogs, EscPressesTheWayOutAndClosingTheWindowAnswersCancel) {
    const struct {
        MsgDlgButtons buttons;
        int escape;
    } cases[] = {
        {mbYes | mbNo | mbCancel, mrCancel},
        {mbOK | mbCancel, mrCancel},
        {mbYes | mbNo, mrNo},
        {mbOK, mrOk},
    };
    for (const auto& c : cases) {
        // Esc typed into the box: the key reaches the focused button and goes up to the box.
        WhenShown<QMessageBox>([](QMessageBox& box) {
            QWidget* focused = box.focusWidget() ? box.focusWidget() : &box;
            QTest::keyClick(focused, Qt::Key_Escape);
        });
        EXPECT_EQ(MessageDlg("Text", MsgDlgType::Warning, c.buttons), c.escape) << c.buttons;
        // The title bar's close box and Alt+F4 close the window without a button.
        WhenShown<QMessageBox>([](QMessageBox& box) { box.close(); });
        EXPECT_EQ(MessageDlg("Text", MsgDlgType::Warning, c.buttons), mrCancel) << c.buttons;
    }
    QString text;
    WhenShown<QMessageBox>([&](QMessageBox& box) {
        text = box.text();
        Click(box, "OK");
    });
    EXPECT_EQ(MessageDlg("Готово", MsgDlgType::Information, mbOK), mrOk);
    EXPECT_EQ(text, "Готово");
}

TEST_F(QtDialogs, MessageBoxKeepsItsCaptionAndAnswersWithIds) {
    const struct {
        unsigned flags;
        const char* click;
        int result;
        QStringList buttons;
    } cases[] = {
        {MB_YESNO | MB_ICONQUESTION, "&Yes", IDYES, {"&No", "&Yes"}},
        {MB_YESNO, nullptr, IDNO, {"&No", "&Yes"}},
        {MB_YESNOCANCEL | MB_ICONWARNING, "&No", IDNO, {"&No", "&Yes", "Cancel"}},
        {MB_YESNOCANCEL, nullptr, IDCANCEL, {"&No", "&Yes", "Cancel"}},
        {MB_OKCANCEL | MB_ICONERROR, "OK", IDOK, {"Cancel", "OK"}},
        {MB_OKCANCEL, nullptr, IDCANCEL, {"Cancel", "OK"}},
        {MB_OK | MB_ICONINFORMATION, nullptr, IDOK, {"OK"}},
    };
    for (const auto& c : cases) {
        QString caption;
        QStringList buttons;
        WhenShown<QMessageBox>([&](QMessageBox& box) {
            caption = box.windowTitle();
            buttons = ButtonTexts(box);
            if (c.click)
                Click(box, c.click);
            else
                box.close();
        });
        EXPECT_EQ(MessageBox(nullptr, "Text", "Своя подпись", c.flags), c.result) << c.flags;
        EXPECT_EQ(caption, "Своя подпись");
        EXPECT_EQ(buttons, c.buttons) << c.flags;
    }
}

TEST_F(QtDialogs, SystemBoxesSpeakRussianOnceTheLanguageIsInstalledAndMessageDialogsStayEnglish) {
    const auto buttonsOf = [](const std::function<void()>& show) {
        QStringList buttons;
        WhenShown<QMessageBox>([&](QMessageBox& box) {
            buttons = ButtonTexts(box);
            box.close();
        });
        show();
        return buttons;
    };
    const auto closePrompt = [] {
        MessageBox(nullptr, QString::fromUtf8("Сохранить текущие настройки ?"), "", MB_ICONQUESTION | MB_YESNOCANCEL);
    };
    const auto confirmation = [] { MessageDlg("Text", MsgDlgType::Confirmation, mbYes | mbNo | mbOK | mbCancel); };
    const QStringList english = {"&No", "&Yes", "Cancel"};
    ASSERT_EQ(buttonsOf(closePrompt), english) << "no translation before the start-up installs it";
    {
        const std::unique_ptr<QTranslator> language = InstallSystemLanguage();
        ASSERT_NE(language, nullptr) << "qt6-translations-l10n provides qtbase_ru.qm";
        EXPECT_EQ(buttonsOf(closePrompt), (QStringList{QString::fromUtf8("&Да"), QString::fromUtf8("&Нет"),
                                                       QString::fromUtf8("Отмена")}));
        EXPECT_EQ(buttonsOf([] { MessageBox(nullptr, "Text", "", MB_OK); }), QStringList{"OK"});
        EXPECT_EQ(buttonsOf(confirmation), (QStringList{"&No", "&Yes", "Cancel", "OK"}));
    }
    EXPECT_EQ(buttonsOf(closePrompt), english) << "gone with its translator";
}

TEST_F(QtDialogs, ShowMessageIsTitledWithTheApplicationsName) {
    QString caption;
    QStringList buttons;
    WhenShown<QMessageBox>([&](QMessageBox& box) {
        caption = box.windowTitle();
        buttons = ButtonTexts(box);
        box.close();
    });
    ShowMessage("Hello");
    EXPECT_EQ(caption, QCoreApplication::applicationName());
    EXPECT_EQ(buttons, QStringList{"OK"});
}

TEST_F(QtDialogs, InputQueryChangesTheValueOnlyWhenConfirmed) {
    QString value = "старое";
    QString shownFirst;
    WhenShown<QInputDialog>([&](QInputDialog& dialog) {
        shownFirst = dialog.textValue();
        dialog.setTextValue("новое");
        dialog.accept();
    });
    EXPECT_TRUE(InputQuery("Caption", "Prompt", value));
    EXPECT_EQ(shownFirst, "старое");
    EXPECT_EQ(value, "новое");

    WhenShown<QInputDialog>([](QInputDialog& dialog) {
        dialog.setTextValue("discarded");
        dialog.reject();
    });
    EXPECT_FALSE(InputQuery("Caption", "Prompt", value));
    EXPECT_EQ(value, "новое");
}

TEST_F(QtDialogs, SaveFileOffersTheFiltersAndAddsTheDefaultExtension) {
    testing_support::TempFolder folder;
    const QString base = QString::fromStdString(folder.file("report"));
    QStringList filters;
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        dialog.selectFile(base);
        // Public on QDialog; QFileDialog keeps its own override protected.
        static_cast<QDialog&>(dialog).accept();
    });
    const auto chosen = CurrentDialogs().saveFile({"zkv", "Проект АРМ ЗКВ|*.zkv|Все файлы|*.*", "Save"});
    EXPECT_EQ(chosen, base + ".zkv");
    EXPECT_EQ(filters, (QStringList{"Проект АРМ ЗКВ (*.zkv)", "Все файлы (*.*)"}));

    WhenShown<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(CurrentDialogs().openFile({"zkv", "Проект АРМ ЗКВ|*.zkv", "Open"}), std::nullopt);
}

}  // namespace

namespace {

// The report library has no widgets: its boxes reach the dialogs in force through the platform.
TEST(ScriptedDialogs, SystemMessageBoxesOfCodeWithoutWidgetsReachTheDialogsInForce) {
    ScriptedDialogs dialogs;
    testing_support::InstalledDialogs installed(dialogs);
    dialogs.answer(IDOK);
    EXPECT_EQ(SystemMessageBox("Недоступен файл шаблона \n /x/Архив ЗКВ.xlsx", "Ошибка формирования протокола",
                               MB_ICONERROR | MB_OK),
              IDOK);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, testing_support::ShownDialog::Kind::MessageBox);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("Недоступен файл шаблона \n /x/Архив ЗКВ.xlsx"));
    EXPECT_EQ(dialogs.shown[0].caption, QStringLiteral("Ошибка формирования протокола"));
    EXPECT_EQ(dialogs.shown[0].buttons, unsigned{MB_ICONERROR | MB_OK});
}

TEST(SystemMessageBox, WithoutDialogsTheBoxGoesToTheDebugOutput) {
    const MessageBoxHandler previous = SetMessageBoxHandler({});
    std::vector<std::string> lines;
    const ClockHooks hooks = SetClockHooks({{}, {}, [&](std::string_view line) { lines.emplace_back(line); }});
    EXPECT_EQ(SystemMessageBox("text", "Caption", MB_ICONERROR | MB_OK), IDOK);
    EXPECT_EQ(SystemMessageBox("text", "Caption", MB_YESNO), IDCANCEL);
    SetClockHooks(hooks);
    SetMessageBoxHandler(previous);
    EXPECT_EQ(lines, (std::vector<std::string>{"Caption: text", "Caption: text"}));
}

}  // namespace
