#include "app/results/report_binding.h"

#include "platform/dialogs.h"
#include "platform/utf8_literal.h"

int MakeReport(int /*mode*/) {
    // The workstation does not load the report library yet: it answers as when none is found.
    platform::MessageDlg(U("Библиотека не найдена!"), platform::MsgDlgType::Error, platform::mbOK);
    return -1;
}
