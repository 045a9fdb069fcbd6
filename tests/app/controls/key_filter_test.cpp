#include "app/controls/key_filter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <optional>
#include <string>

#include "platform/class_library/utf8_literal.h"
#include "tests/support/printers.h"
#include "tests/support/qt_application.h"

namespace {

TEST(KeyFilters, MapEachCharacterByItsCodePage1251Code) {
    // Expected results of the shared filter, the set-up page's and the integer fields'; 0 drops.
    const struct {
        char key;
        char numeric;
        char tune;
        char integer;
    } cases[] = {
        {'0', '0', '0', '0'},   {'5', '5', '5', '5'},   {'9', '9', '9', '9'},
        {'\b', '\b', '\b', '\b'}, {'-', '-', '-', 0},   {'.', '.', '.', 0},
        {',', '.', '.', 0},     {'/', '.', '.', 0},
        {'\xC1', '.', 0, 0},    // Б
        {'\xE1', '.', 0, 0},    // б
        {'\xDE', '.', '.', 0},  // Ю
        {'\xFE', '.', '.', 0},  // ю
        {'E', 0, 'E', 0},       {'e', 0, 'E', 0},
        {'\xD3', 0, 'E', 0},    // У
        {'\xF3', 0, 'E', 0},    // у
        {'a', 0, 0, 0},         {'+', 0, 0, 0},         {' ', 0, 0, 0},
        {'\r', 0, 0, 0},        {'\t', 0, 0, 0},        {'\x1b', 0, 0, 0},
        {'\x03', 0, 0, 0},      {'\x16', 0, 0, 0},      {'\x18', 0, 0, 0},  // Ctrl+C, Ctrl+V, Ctrl+X
        {'\xB8', 0, 0, 0},      // ё
    };
    for (const auto& c : cases) {
        const int code = static_cast<unsigned char>(c.key);
        EXPECT_EQ(FilterNumericKey(c.key), c.numeric) << "key " << code;
        EXPECT_EQ(FilterTuneNumberKey(c.key), c.tune) << "key " << code;
        EXPECT_EQ(FilterIntegerKey(c.key), c.integer) << "key " << code;
        EXPECT_EQ(FilterListOnlyKey(c.key), 0) << "key " << code;
    }
}

TEST(KeyFilters, TellWhatAKeyPressTypes) {
    testing_support::EnsureApplication();
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        std::optional<std::string> typed;
    } cases[] = {
        {Qt::Key_Comma, Qt::NoModifier, ",", ","},
        {0x411, Qt::NoModifier, "б", "\xE1"},  // a letter's key is its capital's code
        {0x42E, Qt::ShiftModifier, "Ю", "\xDE"},
        {Qt::Key_Backspace, Qt::NoModifier, "", "\b"},
        {Qt::Key_Return, Qt::NoModifier, "", "\r"},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", "\r"},
        {Qt::Key_V, Qt::ControlModifier, "", "\x16"},
        {Qt::Key_C, Qt::ControlModifier, "\x03", "\x03"},
        {Qt::Key_Left, Qt::NoModifier, "", std::nullopt},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", std::nullopt},
        {Qt::Key_Tab, Qt::NoModifier, "\t", std::nullopt},
        {Qt::Key_F5, Qt::NoModifier, "", std::nullopt},
        {Qt::Key_V, Qt::NoModifier, "", std::nullopt},
    };
    for (const auto& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, U(c.text));
        EXPECT_EQ(TypedCharacters(event), c.typed) << "key " << c.key;
    }
}

// Key presses sent to widgets as the keyboard would.
class TypedKeys : public ::testing::Test {
protected:
    TypedKeys() { testing_support::EnsureApplication(); }

    static void Press(QWidget* widget, int key, const QString& text,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QCoreApplication::sendEvent(widget, &release);
    }

    // Each character as its own key press; a letter's key is its capital's code, as the keyboard gives it.
    static void Type(QWidget* widget, const char* utf8) {
        for (const QChar c : U(utf8)) Press(widget, c.toUpper().unicode(), QString(c));
    }
};

TEST_F(TypedKeys, NumericEditTakesDigitsAndTheDecimalKeysOnly) {
    QLineEdit edit;
    InstallKeyFilter(&edit, FilterNumericKey);
    int returns = 0;
    QObject::connect(&edit, &QLineEdit::returnPressed, [&] { ++returns; });
    Type(&edit, "1,5ab/ю-Б2");
    Press(&edit, Qt::Key_Return, U("\r"));
    EXPECT_EQ(edit.text(), U("1.5..-.2")) << "the filter does not stop a second point";
    EXPECT_EQ(returns, 0) << "Enter is dropped";
}

TEST_F(TypedKeys, KeysThatTypeNothingPass) {
    QLineEdit edit;
    InstallKeyFilter(&edit, FilterNumericKey);
    Type(&edit, "12");
    Press(&edit, Qt::Key_Left, QString());
    Type(&edit, "3");
    EXPECT_EQ(edit.text(), U("132"));
    Press(&edit, Qt::Key_Backspace, U("\b"));
    EXPECT_EQ(edit.text(), U("12"));
    Press(&edit, Qt::Key_Delete, QString());
    EXPECT_EQ(edit.text(), U("1"));
}

TEST(KeyFilters, APastedTextIsFilteredAsTypedKeysWithoutItsControlCharacters) {
    const struct {
        const char* pasted;
        char (*filter)(char);
        const char* kept;
    } cases[] = {
        {"1,5 kPa", FilterNumericKey, "1.5"},   {"-2e-3\r\n", FilterTuneNumberKey, "-2E-3"},
        {"12\b3\t4", FilterIntegerKey, "1234"},  // a Backspace in a text erases nothing
        {"ю1Б", FilterNumericKey, ".1."},       {"abc", FilterNumericKey, ""},
        {"кПа", FilterListOnlyKey, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FilteredPaste(U(c.pasted), c.filter), U(c.kept)) << c.pasted;
}

TEST_F(TypedKeys, APasteByTheKeysTheMenuOrADropGoesThroughTheFilter) {
    QGuiApplication::clipboard()->setText(U("1,5abc"));
    QLineEdit edit;
    InstallKeyFilter(&edit, FilterNumericKey);
    edit.setText("9");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), U("91.5"));

    // The edit's own context menu, its paste action triggered.
    edit.setText("9");
    edit.show();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(2, 2), edit.mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(&edit, &menuEvent);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << "the edit's menu";
    const QString pasteText = QLineEdit::tr("&Paste");
    QAction* paste = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(pasteText)) paste = action;
    }
    ASSERT_NE(paste, nullptr);
    paste->trigger();
    menu->close();
    EXPECT_EQ(edit.text(), U("91.5"));

    EXPECT_FALSE(edit.acceptDrops()) << "a dropped text would pass no filter";

    // The X11 selection, pasted by the middle button where the desktop has one.
    if (!QGuiApplication::clipboard()->supportsSelection()) return;
    QGuiApplication::clipboard()->setText(U("3,25q"), QClipboard::Selection);
    edit.setText("9");
    QTest::mouseClick(&edit, Qt::MiddleButton, Qt::NoModifier, QPoint(edit.width() - 2, edit.height() / 2));
    EXPECT_EQ(edit.text(), U("93.25"));
}

TEST_F(TypedKeys, SetUpFieldsTakeAnExponent) {
    QLineEdit edit;
    InstallKeyFilter(&edit, FilterTuneNumberKey);
    Type(&edit, "1,5у2б");
    EXPECT_EQ(edit.text(), U("1.5E2"));
    edit.clear();
    Type(&edit, "-2e-3x");
    EXPECT_EQ(edit.text(), U("-2E-3"));
}

TEST_F(TypedKeys, IntegerFieldsTakeDigitsOnly) {
    QLineEdit edit;
    InstallKeyFilter(&edit, FilterIntegerKey);
    Type(&edit, "12.a3-,4");
    EXPECT_EQ(edit.text(), U("1234"));
    Press(&edit, Qt::Key_Backspace, U("\b"));
    EXPECT_EQ(edit.text(), U("123"));
}

TEST_F(TypedKeys, ListOnlyComboChangesOnlyByChoosing) {
    const QStringList units{U("кПа"), U("бар"), U("psi")};
    QComboBox plain;
    plain.addItems(units);
    Type(&plain, "б");
    ASSERT_EQ(plain.currentIndex(), 1) << "typing searches an unfiltered list";
    QComboBox combo;
    combo.addItems(units);
    InstallKeyFilter(&combo, FilterListOnlyKey);
    Type(&combo, "бp");
    EXPECT_EQ(combo.currentIndex(), 0);
    Press(&combo, Qt::Key_Down, QString());
    EXPECT_EQ(combo.currentIndex(), 1) << "choosing from the list still works";
}

}  // namespace
