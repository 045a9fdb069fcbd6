#include "tests/support/scripted_dialogs.h"

#include <gtest/gtest.h>

#include "platform/class_library/file_filter.h"

namespace testing_support {

using platform::FileDialogSpec;
using platform::MsgDlgButtons;
using platform::MsgDlgType;

template <typename T>
std::optional<T> ScriptedDialogs::next(const char* dialog) {
    if (script_.empty()) return std::nullopt;
    if (const T* answer = std::get_if<T>(&script_.front())) {
        T taken = *answer;
        script_.pop_front();
        return taken;
    }
    ADD_FAILURE() << "the next scripted answer is not one for " << dialog << " (dialog #" << shown.size()
                  << ")";
    return std::nullopt;
}

std::vector<QString> ScriptedDialogs::texts() const {
    std::vector<QString> all;
    for (const ShownDialog& dialog : shown) all.push_back(dialog.text);
    return all;
}

int ScriptedDialogs::messageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons) {
    ShownDialog dialog;
    dialog.kind = ShownDialog::Kind::MessageDlg;
    dialog.text = text;
    dialog.type = type;
    dialog.buttons = buttons;
    shown.push_back(dialog);
    if (auto scripted = next<int>("messageDlg")) return *scripted;
    if (buttons & platform::mbOK) return platform::mrOk;
    if (buttons & platform::mbCancel) return platform::mrCancel;
    if (buttons & platform::mbNo) return platform::mrNo;
    return platform::mrYes;
}

int ScriptedDialogs::messageBox(QWidget*, const QString& text, const QString& caption, unsigned flags) {
    ShownDialog dialog;
    dialog.kind = ShownDialog::Kind::MessageBox;
    dialog.text = text;
    dialog.caption = caption;
    dialog.buttons = flags;
    shown.push_back(dialog);
    if (auto scripted = next<int>("messageBox")) return *scripted;
    switch (flags & 0x0Fu) {
        case platform::MB_OKCANCEL:
        case platform::MB_YESNOCANCEL:
            return platform::IDCANCEL;
        case platform::MB_YESNO:
            return platform::IDNO;
        default:
            return platform::IDOK;
    }
}

void ScriptedDialogs::showMessage(const QString& text) {
    ShownDialog dialog;
    dialog.kind = ShownDialog::Kind::ShowMessage;
    dialog.text = text;
    shown.push_back(dialog);
}

bool ScriptedDialogs::inputQuery(const QString& caption, const QString& prompt, QString& value) {
    ShownDialog dialog;
    dialog.kind = ShownDialog::Kind::InputQuery;
    dialog.text = prompt;
    dialog.caption = caption;
    dialog.value = value;
    shown.push_back(dialog);
    const auto scripted = next<Input>("inputQuery");
    if (!scripted || !scripted->confirmed) return false;
    value = scripted->text;
    return true;
}

std::optional<QString> ScriptedDialogs::fileDialog(ShownDialog::Kind kind, const FileDialogSpec& spec) {
    ShownDialog dialog;
    dialog.kind = kind;
    dialog.text = spec.title;
    dialog.file = spec;
    shown.push_back(dialog);
    const auto scripted =
        next<std::optional<QString>>(kind == ShownDialog::Kind::OpenFile ? "openFile" : "saveFile");
    if (!scripted || !*scripted) return std::nullopt;
    // The path stands for what the user picked; the dialog adds the extension as Qt's does.
    return platform::WithDefaultExtension(**scripted, spec.defaultExt);
}

std::optional<QString> ScriptedDialogs::openFile(const FileDialogSpec& spec) {
    return fileDialog(ShownDialog::Kind::OpenFile, spec);
}

std::optional<QString> ScriptedDialogs::saveFile(const FileDialogSpec& spec) {
    return fileDialog(ShownDialog::Kind::SaveFile, spec);
}

}  // namespace testing_support
