#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "platform/system/message_box.h"

class QTranslator;
class QWidget;

namespace platform {

// The message and file dialogs of the workstation. In the program they are Qt's modal dialogs
// (a nested loop: timers keep running); tests install a recorder that answers from a script.

enum class MsgDlgType { Warning, Error, Information, Confirmation, Custom };

// Buttons of MessageDlg, combinable.
enum MsgDlgButton : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using MsgDlgButtons = unsigned;

// Results of MessageDlg.
enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Flags and results of the system message box: platform/message_box.h.

// A file dialog as the forms describe it; filter in the "Name|*.ext|Name|*.*" form.
struct FileDialogSpec {
    QString defaultExt;
    QString filter;
    QString title;
    // The caller asks about writing over an existing file itself; the dialog does not ask too.
    bool callerAsksToOverwrite = false;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // The class library's message dialog: English caption by type ("Error", "Information",
    // "Warning", "Confirm"), English buttons ("&Yes", "&No", "OK", "Cancel"). Esc answers Cancel,
    // else No, else OK; a dialog closed by its window answers mrCancel, whatever its buttons.
    virtual int messageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons) = 0;
    // The system message box with its own caption; owner may be null.
    virtual int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags) = 0;
    // A plain message with the application's title and an OK button.
    virtual void showMessage(const QString& text) = 0;
    // True when the user confirmed; value holds the text shown first and the text typed after.
    virtual bool inputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
    // The chosen path (with the default extension added when the name has none), or nothing.
    virtual std::optional<QString> openFile(const FileDialogSpec& spec) = 0;
    virtual std::optional<QString> saveFile(const FileDialogSpec& spec) = 0;
};

// Puts Qt's own Russian texts in force whatever the environment's locale, so the system's boxes
// and dialogs show their standard buttons as the Russian desktop the workstation is made for shows
// them. The class library's message dialogs keep their English buttons. In force while the
// returned translator lives; nothing when Qt's translation is not installed.
std::unique_ptr<QTranslator> InstallSystemLanguage();

// The dialogs in force: the installed ones, else Qt's.
Dialogs& CurrentDialogs();
// Installs dialogs (nullptr: back to Qt's); returns the previous installed ones.
Dialogs* SetDialogs(Dialogs* dialogs);

inline int MessageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons) {
    return CurrentDialogs().messageDlg(text, type, buttons);
}
inline int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags) {
    return CurrentDialogs().messageBox(owner, text, caption, flags);
}
inline void ShowMessage(const QString& text) { CurrentDialogs().showMessage(text); }
inline bool InputQuery(const QString& caption, const QString& prompt, QString& value) {
    return CurrentDialogs().inputQuery(caption, prompt, value);
}

}  // namespace platform
