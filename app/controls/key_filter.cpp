#include "app/controls/key_filter.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QWidget>

#include "app/model/value_text.h"
#include "platform/class_library/cp1251.h"

namespace {

constexpr char kBackspace = 8;

bool IsDigit(char key) { return key >= '0' && key <= '9'; }

bool KeptAsTyped(char key) { return IsDigit(key) || key == kBackspace || key == '-' || key == '.'; }

// Code page 1251 bytes of the Cyrillic letters on the Russian layout's comma, full-stop and E keys.
constexpr char kBe = static_cast<char>(0xC1);       // Б
constexpr char kYu = static_cast<char>(0xDE);       // Ю
constexpr char kSmallBe = static_cast<char>(0xE1);  // б
constexpr char kSmallYu = static_cast<char>(0xFE);  // ю
constexpr char kU = static_cast<char>(0xD3);        // У
constexpr char kSmallU = static_cast<char>(0xF3);   // у

// The Qt key a character comes from, for the event that types the filter's character instead.
int KeyOf(char character) {
    switch (character) {
        case kBackspace:
            return Qt::Key_Backspace;
        case '\r':
            return Qt::Key_Return;
        default:
            break;
    }
    if (character >= 'a' && character <= 'z') return character - 'a' + Qt::Key_A;
    if (character > ' ' && character < 0x7F) return character;
    return Qt::Key_unknown;
}

// The desktop's editing shortcuts other than paste: they type nothing, so no filter looks at them.
bool IsEditingShortcut(const QKeyEvent& event) {
    for (const QKeySequence::StandardKey shortcut :
         {QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Undo,
          QKeySequence::Redo}) {
        if (event.matches(shortcut)) return true;
    }
    return false;
}

// The edit a paste into the watched widget lands in: the widget itself or an editable combo's edit.
QLineEdit* PasteTarget(QObject* watched) {
    if (auto* edit = qobject_cast<QLineEdit*>(watched)) return edit;
    if (auto* combo = qobject_cast<QComboBox*>(watched)) return combo->lineEdit();
    return nullptr;
}

}  // namespace

QString FilteredPaste(const QString& text, const std::function<char(char)>& filter) {
    std::string kept;
    for (const char character : platform::ToCp1251(text)) {
        // A control character in a text is no key: it does not stand for Backspace or Enter.
        if (static_cast<unsigned char>(character) < 0x20 || character == 0x7F) continue;
        if (const char result = filter(character)) kept += result;
    }
    return platform::FromCp1251(kept);
}

char FilterNumericKey(char key) {
    if (KeptAsTyped(key)) return key;
    if (key == ',' || key == '/' || key == kBe || key == kYu || key == kSmallBe || key == kSmallYu) {
        return kDecimalPoint;
    }
    return 0;
}

char FilterTuneNumberKey(char key) {
    if (KeptAsTyped(key)) return key;
    if (key == ',' || key == '/' || key == kYu || key == kSmallYu) return kDecimalPoint;
    if (key == 'E' || key == 'e' || key == kU || key == kSmallU) return 'E';
    return 0;
}

char FilterIntegerKey(char key) { return IsDigit(key) || key == kBackspace ? key : 0; }

char FilterListOnlyKey(char) { return 0; }

std::optional<std::string> TypedCharacters(const QKeyEvent& event) {
    const int key = event.key();
    // Tab moves to the next field before any key-press handler could see it.
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return std::nullopt;
    const QString text = event.text();
    if (!text.isEmpty()) {
        // Delete types nothing, though some platforms give it the text DEL.
        if (text == QString(QChar(0x7F))) return std::nullopt;
        return platform::ToCp1251(text);
    }
    // Events without text (synthetic ones, some platforms' control keys) still type these.
    if (key == Qt::Key_Backspace) return std::string(1, kBackspace);
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return std::string(1, '\r');
    if (key == Qt::Key_Escape) return std::string(1, '\x1b');
    if ((event.modifiers() & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z) {
        return std::string(1, static_cast<char>(key - Qt::Key_A + 1));
    }
    return std::nullopt;
}

KeyPressFilter::KeyPressFilter(QObject* parent, std::function<char(char)> filter)
    : QObject(parent), filter_(std::move(filter)) {}

void KeyPressFilter::Paste(QLineEdit* edit, const QString& text) const {
    if (edit->isReadOnly()) return;
    const QString kept = FilteredPaste(text, filter_);
    // Like a key the filter drops, a text it drops entirely leaves the edit as it was.
    if (!kept.isEmpty()) edit->insert(kept);
}

bool KeyPressFilter::PasteEvent(QObject* watched, QEvent* event) {
    QLineEdit* edit = PasteTarget(watched);
    if (edit == nullptr) return false;
    switch (event->type()) {
        case QEvent::ContextMenu: {
            if (edit->contextMenuPolicy() != Qt::DefaultContextMenu) return false;
            // The edit's own menu, with its paste going through the filter.
            QMenu* menu = edit->createStandardContextMenu();
            const QString pasteText = QLineEdit::tr("&Paste");
            for (QAction* action : menu->actions()) {
                if (!action->text().startsWith(pasteText)) continue;
                action->disconnect(edit);
                connect(action, &QAction::triggered, edit,
                        [this, edit] { Paste(edit, QGuiApplication::clipboard()->text()); });
            }
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            // The X11 selection's paste by the middle button.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection())
                return false;
            edit->deselect();
            Paste(edit, QGuiApplication::clipboard()->text(QClipboard::Selection));
            return true;
        }
        default:
            return false;
    }
}

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event) {
    if (redelivering_ || !filter_) return false;
    if (event->type() != QEvent::KeyPress) return PasteEvent(watched, event);
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (IsEditingShortcut(*key)) return false;
    if (key->matches(QKeySequence::Paste)) {
        if (QLineEdit* edit = PasteTarget(watched)) Paste(edit, QGuiApplication::clipboard()->text());
        return true;
    }
    const std::optional<std::string> typed = TypedCharacters(*key);
    if (!typed) return false;
    std::string kept;
    for (char character : *typed) {
        if (const char result = filter_(character)) kept += result;
    }
    if (kept == *typed) return false;
    if (kept.empty()) return true;
    QKeyEvent replacement(QEvent::KeyPress, KeyOf(kept.front()), key->modifiers(), platform::FromCp1251(kept),
                          key->isAutoRepeat(), static_cast<quint16>(key->count()));
    redelivering_ = true;
    QCoreApplication::sendEvent(watched, &replacement);
    redelivering_ = false;
    return true;
}

KeyPressFilter* InstallKeyFilter(QWidget* widget, std::function<char(char)> filter) {
    auto* keyFilter = new KeyPressFilter(widget, std::move(filter));
    // An input method would hand the characters over in events this filter never sees, and so
    // would a dropped text; the class library's edit takes none either.
    widget->setAttribute(Qt::WA_InputMethodEnabled, false);
    widget->setAcceptDrops(false);
    widget->installEventFilter(keyFilter);
    return keyFilter;
}
