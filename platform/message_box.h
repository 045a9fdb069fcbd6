#pragma once

// Message boxes without an owner window, as the report library shows them. The library has no
// widgets of its own: the program that loads it installs the handler that shows the box (the
// workstation, with its dialogs), and tests install one that records it.

#include <functional>
#include <string>

#include "platform/window_handle.h"

namespace platform {

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_ICONERROR = 0x10;
constexpr int IDOK = 1;

// Texts in code page 1251. Answers the handler's answer; without a handler the texts go to the
// debug output and the standard error, and the answer is IDOK.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

// Receives the texts in UTF-8.
using MessageBoxHandler = std::function<int(const std::string& text, const std::string& caption, UINT type)>;
// Returns the previous handler.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace platform
