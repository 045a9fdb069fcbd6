#include "platform/class_library/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <memory>
#include <vector>

#include "platform/class_library/file_filter.h"

namespace platform {
namespace {

// A button: the class library's own (an English text and its role), or one of the system's
// standard buttons, whose text is the desktop's.
struct Choice {
    const char* text;
    QMessageBox::ButtonRole role;
    int result;
    QMessageBox::StandardButton standard = QMessageBox::NoButton;
};

// Runs a message box over the given buttons. defaultIndex and escapeIndex point into choices;
// Esc presses the escape choice. closedResult answers when the window is closed without a
// button (its close box, Alt+F4), which Qt itself reports as the escape button.
int RunMessageBox(QWidget* parent, const QString& caption, const QString& text, QMessageBox::Icon icon,
                  const std::vector<Choice>& choices, std::size_t defaultIndex, std::size_t escapeIndex,
                  int closedResult) {
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setIcon(icon);
    std::vector<QPushButton*> buttons;
    for (const Choice& choice : choices) {
        buttons.push_back(choice.standard != QMessageBox::NoButton
                              ? box.addButton(choice.standard)
                              : box.addButton(QString::fromUtf8(choice.text), choice.role));
    }
    box.setDefaultButton(buttons[defaultIndex]);
    box.setEscapeButton(buttons[escapeIndex]);
    // Only a button's own click (by the mouse, its key, Enter or Esc) is a choice.
    QAbstractButton* clicked = nullptr;
    QObject::connect(&box, &QMessageBox::buttonClicked, &box, [&clicked](QAbstractButton* button) { clicked = button; });
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (clicked == buttons[i]) return choices[i].result;
    }
    return closedResult;
}

QString ApplicationName() { return QCoreApplication::applicationName(); }

// The class library's message dialog sits over the active form.
QWidget* ActiveForm() { return QApplication::activeWindow(); }

class QtDialogs final : public Dialogs {
  public:
    int messageDlg(const QString& text, MsgDlgType type, MsgDlgButtons buttons) override {
        QString caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        switch (type) {
            case MsgDlgType::Warning:
                caption = QStringLiteral("Warning");
                icon = QMessageBox::Warning;
                break;
            case MsgDlgType::Error:
                caption = QStringLiteral("Error");
                icon = QMessageBox::Critical;
                break;
            case MsgDlgType::Information:
                caption = QStringLiteral("Information");
                icon = QMessageBox::Information;
                break;
            case MsgDlgType::Confirmation:
                caption = QStringLiteral("Confirm");
                icon = QMessageBox::Question;
                break;
            case MsgDlgType::Custom:
                caption = ApplicationName();
                break;
        }
        // A dialog without buttons could not be closed on purpose; it gets the OK button.
        if ((buttons & (mbYes | mbNo | mbOK | mbCancel)) == 0) buttons = mbOK;
        std::vector<Choice> choices;
        const auto offer = [&](unsigned button, Choice choice) -> std::optional<std::size_t> {
            if ((buttons & button) == 0) return std::nullopt;
            choices.push_back(choice);
            return choices.size() - 1;
        };
        const auto yes = offer(mbYes, {"&Yes", QMessageBox::YesRole, mrYes});
        const auto no = offer(mbNo, {"&No", QMessageBox::NoRole, mrNo});
        const auto ok = offer(mbOK, {"OK", QMessageBox::AcceptRole, mrOk});
        const auto cancel = offer(mbCancel, {"Cancel", QMessageBox::RejectRole, mrCancel});
        // Enter takes OK, else Yes; Escape takes Cancel, else No, else OK, as the class library's
        // dialog does.
        const std::size_t defaultIndex = ok.value_or(yes.value_or(0));
        const std::size_t escapeIndex = cancel.value_or(no.value_or(ok.value_or(0)));
        // The class library's modal form closed by its window answers Cancel, whatever its buttons.
        return RunMessageBox(ActiveForm(), caption, text, icon, choices, defaultIndex, escapeIndex, mrCancel);
    }

    int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned flags) override {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        switch (flags & 0xF0u) {
            case MB_ICONERROR:
                icon = QMessageBox::Critical;
                break;
            case MB_ICONQUESTION:
                icon = QMessageBox::Question;
                break;
            case MB_ICONWARNING:
                icon = QMessageBox::Warning;
                break;
            case MB_ICONINFORMATION:
                icon = QMessageBox::Information;
                break;
            default:
                break;
        }
        // The system's box: its buttons speak the desktop's language.
        const Choice okChoice{"", QMessageBox::AcceptRole, IDOK, QMessageBox::Ok};
        const Choice cancelChoice{"", QMessageBox::RejectRole, IDCANCEL, QMessageBox::Cancel};
        const Choice yesChoice{"", QMessageBox::YesRole, IDYES, QMessageBox::Yes};
        const Choice noChoice{"", QMessageBox::NoRole, IDNO, QMessageBox::No};
        switch (flags & 0x0Fu) {
            case MB_OKCANCEL:
                return RunMessageBox(owner, caption, text, icon, {okChoice, cancelChoice}, 0, 1, IDCANCEL);
            case MB_YESNOCANCEL:
                return RunMessageBox(owner, caption, text, icon, {yesChoice, noChoice, cancelChoice}, 0, 2, IDCANCEL);
            case MB_YESNO:
                // The system box offers no way out but the two buttons; closing it counts as No.
                return RunMessageBox(owner, caption, text, icon, {yesChoice, noChoice}, 0, 1, IDNO);
            default:
                return RunMessageBox(owner, caption, text, icon, {okChoice}, 0, 0, IDOK);
        }
    }

    void showMessage(const QString& text) override {
        RunMessageBox(ActiveForm(), ApplicationName(), text, QMessageBox::NoIcon,
                      {{"OK", QMessageBox::AcceptRole, mrOk}}, 0, 0, mrOk);
    }

    bool inputQuery(const QString& caption, const QString& prompt, QString& value) override {
        QInputDialog dialog(ActiveForm());
        dialog.setInputMode(QInputDialog::TextInput);
        dialog.setWindowTitle(caption);
        dialog.setLabelText(prompt);
        dialog.setTextValue(value);
        dialog.setOkButtonText(QStringLiteral("OK"));
        dialog.setCancelButtonText(QStringLiteral("Cancel"));
        if (dialog.exec() != QDialog::Accepted) return false;
        value = dialog.textValue();
        return true;
    }

    std::optional<QString> openFile(const FileDialogSpec& spec) override {
        return RunFileDialog(spec, QFileDialog::AcceptOpen);
    }
    std::optional<QString> saveFile(const FileDialogSpec& spec) override {
        return RunFileDialog(spec, QFileDialog::AcceptSave);
    }

  private:
    static std::optional<QString> RunFileDialog(const FileDialogSpec& spec, QFileDialog::AcceptMode mode) {
        QFileDialog dialog(ActiveForm(), spec.title);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                           : QFileDialog::AnyFile);
        const QString filter = QtNameFilter(spec.filter);
        if (!filter.isEmpty()) dialog.setNameFilters(filter.split(QStringLiteral(";;")));
        // Qt's own suffix handling lets the overwrite question see the name that will be written.
        QString suffix = spec.defaultExt;
        if (suffix.startsWith(u'.')) suffix.remove(0, 1);
        dialog.setDefaultSuffix(suffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, spec.callerAsksToOverwrite);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        const QStringList chosen = dialog.selectedFiles();
        if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
        return WithDefaultExtension(chosen.front(), spec.defaultExt);
    }
};

Dialogs*& Installed() {
    static Dialogs* installed = nullptr;
    return installed;
}

// Code without widgets (the report library) shows its message boxes through the dialogs in force.
const bool systemBoxesConnected = [] {
    SetMessageBoxHandler([](std::string_view text, std::string_view caption, unsigned flags) {
        return CurrentDialogs().messageBox(nullptr, QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                                           QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())),
                                           flags);
    });
    return true;
}();

}  // namespace

std::unique_ptr<QTranslator> InstallSystemLanguage() {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator.get()))
        return nullptr;
    return translator;
}

Dialogs& CurrentDialogs() {
    static QtDialogs qtDialogs;
    return Installed() ? *Installed() : qtDialogs;
}

Dialogs* SetDialogs(Dialogs* dialogs) {
    Dialogs* previous = Installed();
    Installed() = dialogs;
    return previous;
}

}  // namespace platform
