// zkvdesk: the workstation's entry.
#include <QApplication>
#include <QTranslator>
#include <exception>
#include <memory>

#include "app/calibration/form_grad.h"
#include "app/window/form_main.h"
#include "platform/class_library/dialogs.h"
#include "platform/class_library/os_services.h"

namespace {

// A failure raised in an event handler is shown and the loop goes on.
class WorkstationApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            platform::MessageDlg(QString::fromUtf8(e.what()), platform::MsgDlgType::Error, platform::mbOK);
        } catch (...) {
            platform::MessageDlg(QString::fromUtf8("Неизвестная ошибка"), platform::MsgDlgType::Error, platform::mbOK);
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    WorkstationApplication app(argc, argv);
    const std::unique_ptr<QTranslator> systemLanguage = platform::InstallSystemLanguage();
    app.setQuitOnLastWindowClosed(false);
    platform::SetCommandLineArguments(app.arguments().mid(1));
    try {
        TFormMain mainWindow;
        TFormGrad gradWindow;
        mainWindow.show();
        app.exec();
    } catch (const std::exception& e) {
        platform::MessageDlg(QString::fromUtf8(e.what()), platform::MsgDlgType::Error, platform::mbOK);
    }
    return 0;
}
