#pragma once

#include <QString>
#include <cstddef>
#include <deque>
#include <optional>
#include <variant>
#include <vector>

#include "platform/class_library/dialogs.h"

namespace testing_support {

// One dialog the code under test showed.
struct ShownDialog {
    enum class Kind { MessageDlg, MessageBox, ShowMessage, InputQuery, OpenFile, SaveFile };
    Kind kind = Kind::ShowMessage;
    QString text;     // the message, or the prompt of an input query
    QString caption;  // messageBox's and inputQuery's own caption
    platform::MsgDlgType type = platform::MsgDlgType::Custom;
    unsigned buttons = 0;  // MsgDlgButtons for messageDlg, MB_* flags for messageBox
    QString value;         // the text an input query showed first
    platform::FileDialogSpec file;
};

// Dialogs that show nothing: each one is recorded in shown and answered from the script, first
// in first out. Message dialogs take int answers, file dialogs paths, input queries a text;
// showMessage has nothing to answer and takes none.
// An answer of the wrong kind for the dialog that comes fails the test and stays queued. Without
// an answer every dialog takes its safest way out: Cancel, No or OK, no file, no input.
class ScriptedDialogs : public platform::Dialogs {
  public:
    struct Input {
        bool confirmed = false;
        QString text;
    };

    void answer(int result) { script_.push_back(result); }
    void answerFile(std::optional<QString> path) { script_.push_back(std::move(path)); }
    void answerInput(bool confirmed, QString text = {}) {
        script_.push_back(Input{confirmed, std::move(text)});
    }
    std::size_t unanswered() const { return script_.size(); }

    // Every text shown, in order, for checks that care only about the words.
    std::vector<QString> texts() const;

    std::vector<ShownDialog> shown;

    int messageDlg(const QString& text, platform::MsgDlgType type, platform::MsgDlgButtons buttons) override;
    int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags) override;
    void showMessage(const QString& text) override;
    bool inputQuery(const QString& caption, const QString& prompt, QString& value) override;
    std::optional<QString> openFile(const platform::FileDialogSpec& spec) override;
    std::optional<QString> saveFile(const platform::FileDialogSpec& spec) override;

  private:
    using Answer = std::variant<int, std::optional<QString>, Input>;
    template <typename T>
    std::optional<T> next(const char* dialog);
    std::optional<QString> fileDialog(ShownDialog::Kind kind, const platform::FileDialogSpec& spec);

    std::deque<Answer> script_;
};

// Puts dialogs in force for a scope and brings back the ones before it after.
class InstalledDialogs {
  public:
    explicit InstalledDialogs(platform::Dialogs& dialogs) : previous_(platform::SetDialogs(&dialogs)) {}
    ~InstalledDialogs() { platform::SetDialogs(previous_); }
    InstalledDialogs(const InstalledDialogs&) = delete;
    InstalledDialogs& operator=(const InstalledDialogs&) = delete;

  private:
    platform::Dialogs* previous_;
};

}  // namespace testing_support
