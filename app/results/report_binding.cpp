#include "app/results/report_binding.h"

#include <QString>

#include "platform/dialogs.h"

int MakeReport(int /*mode*/) {
    // No report library is bound to the workstation yet, so there is none to load.
    platform::MessageDlg(QString::fromUtf8("Библиотека не найдена!"), platform::MsgDlgType::Error,
                         platform::mbOK);
    return -1;
}
