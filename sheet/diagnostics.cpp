#include "sheet/diagnostics.h"

#include <cstring>
#include <string>

#include "platform/system/clock.h"
#include "platform/text/wide_text.h"

namespace sheet {
namespace {

HWND keptListBox = nullptr;

BOOL TakeFirstListBox(HWND window, LPARAM found) {
    char className[256];
    platform::GetClassNameA(window, className, 255);
    if (!std::strstr(className, "ListBox")) return 1;
    *reinterpret_cast<HWND*>(found) = window;
    return 0;
}

}  // namespace

void DebugOut(std::string_view text) { platform::DebugLine(text); }

void TraceStr(std::string_view text) {
    const std::string line = " " + std::string(text) + " ";
    DebugOut(line);
    DebugListAdd(line);
}

void TraceInt(std::string_view text, int number) {
    const std::string line = " " + std::string(text) + "  " + std::to_string(number) + " ";
    DebugOut(line);
    DebugListAdd(line);
}

HWND FindDebugListBox() {
    HWND window = platform::FindWindowA("testClass", nullptr);
    if (!window) return nullptr;
    HWND found = nullptr;
    platform::EnumChildWindows(window, &TakeFirstListBox, reinterpret_cast<LPARAM>(&found));
    return found;
}

void DebugListAdd(std::string_view line) {
    // A kept handle whose window has gone since is searched for afresh instead of being used.
    if (keptListBox && !platform::IsWindow(keptListBox)) keptListBox = nullptr;
    if (!keptListBox) keptListBox = FindDebugListBox();
    if (!keptListBox) return;
    // The list box takes code page 1251 texts; our lines are UTF-8.
    const std::string text = platform::Cp1251FromWide(platform::WideFromUtf8(line));
    platform::SendMessageA(keptListBox, platform::LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    const LRESULT count = platform::SendMessageA(keptListBox, platform::LB_GETCOUNT, 0, 0);
    platform::SendMessageA(keptListBox, platform::LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
}

void ForgetDebugListBox() { keptListBox = nullptr; }

}  // namespace sheet
