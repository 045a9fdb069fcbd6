#pragma once

#include <functional>
#include <string_view>

namespace platform {

// Flags and results of the system message box.
enum MessageBoxFlag : unsigned {
    MB_OK = 0x00,
    MB_OKCANCEL = 0x01,
    MB_YESNOCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum MessageBoxResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The system message box without an owner window, for code that runs without widgets (the report
// library). Texts are UTF-8. The workstation's dialogs answer it once they are linked in
// (dialogs.cpp connects them); with no handler the box goes to the debug output and is answered
// as if closed (IDOK for an OK box, IDCANCEL otherwise).
int SystemMessageBox(std::string_view text, std::string_view caption, unsigned flags);

using MessageBoxHandler = std::function<int(std::string_view text, std::string_view caption, unsigned flags)>;
// Returns the previous handler.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace platform
