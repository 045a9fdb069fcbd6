#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>

class QKeyEvent;
class QLineEdit;
class QString;
class QWidget;

// Numeric entry is filtered key by key. A filter takes the typed character in code page 1251
// and returns the character to type instead, or 0 to drop the key.

// Digits, Backspace, '-' and '.' pass; ',', '/' and the Cyrillic letters on the comma and
// full-stop keys of the Russian layout (Б, б, Ю, ю) become the decimal point; the rest drops.
char FilterNumericKey(char key);
// The set-up page's number fields: as above, but only ',', '/', Ю and ю become the point, and
// 'E', 'e', У and у (У sits on the key of E) become 'E'.
char FilterTuneNumberKey(char key);
// Integer fields: digits and Backspace.
char FilterIntegerKey(char key);
// List-only combo boxes: nothing is typed into them.
char FilterListOnlyKey(char key);

// What a key press types, in code page 1251; nothing for keys that type no character (arrows,
// Delete, Home, function keys, Tab's move to the next field). Ctrl with a letter types the
// control character, as Ctrl+C types 3.
std::optional<std::string> TypedCharacters(const QKeyEvent& event);

// A pasted text after the filter: each character as if typed, control characters left out.
QString FilteredPaste(const QString& text, const std::function<char(char)>& filter);

// Runs every typed character of the widget's key presses through a filter: the key goes on as
// typed, with the filter's characters instead, or not at all. The desktop's editing shortcuts
// (select all, copy, cut, undo, redo) pass; a pasted text goes through the filter, by the keys,
// the edit's menu or the middle button; the widget takes no dropped text.
class KeyPressFilter : public QObject {
    Q_OBJECT
  public:
    KeyPressFilter(QObject* parent, std::function<char(char)> filter);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool PasteEvent(QObject* watched, QEvent* event);
    void Paste(QLineEdit* edit, const QString& text) const;

    std::function<char(char)> filter_;
    bool redelivering_ = false;
};

// Installs a filter on the widget (the filter object is the widget's child).
KeyPressFilter* InstallKeyFilter(QWidget* widget, std::function<char(char)> filter);
