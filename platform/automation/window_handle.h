#pragma once

// Windows of this process as the report library sees them: a handle is a pointer to a small C
// record with a message procedure, so a handle passes through the library boundary as the
// original's window handles did and is answered synchronously on the caller's thread. Only
// windows that someone registers can be found by class; none is registered unless a test does.

#include <cstdint>

extern "C" {

struct ZkvWindow;
typedef ZkvWindow* HWND;
typedef std::uint32_t UINT;
typedef std::uintptr_t WPARAM;
typedef std::intptr_t LPARAM;
typedef std::intptr_t LRESULT;
typedef int BOOL;
typedef LRESULT (*WindowProc)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
typedef BOOL (*WindowEnumProc)(HWND window, LPARAM lParam);

struct ZkvWindow {
    const char* className;  // what GetClassNameA reports; never null in a registered window
    const char* title;      // may be null
    HWND parent;            // null for a top-level window
    WindowProc proc;        // may be null: every message then answers 0
    void* data;             // the owner's, for its procedure
};

}  // extern "C"

namespace platform {

// List-view messages with their usual numbers.
constexpr UINT LVM_GETITEMCOUNT = 0x1004;
constexpr UINT LVM_GETCOLUMNA = 0x1019;
constexpr UINT LVM_GETITEMTEXTA = 0x102D;

constexpr UINT LVCF_FMT = 0x1;
constexpr UINT LVCF_WIDTH = 0x2;
constexpr UINT LVCF_TEXT = 0x4;
constexpr UINT LVCF_SUBITEM = 0x8;

// LVM_GETCOLUMNA: wParam the column index, lParam the record; answers nonzero when the column
// exists.
struct LVCOLUMNA {
    UINT mask;
    int fmt;
    int cx;
    char* pszText;
    int cchTextMax;
    int iSubItem;
};

// LVM_GETITEMTEXTA: wParam the item index, lParam the record with iSubItem (0 the item's own
// text), pszText and cchTextMax. Copies at most cchTextMax - 1 bytes of the code page 1251 text
// and a NUL, and answers the number of bytes copied; an item or sub-item that does not exist
// gives the empty text.
struct LVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    char* pszText;
    int cchTextMax;
};

// List-box messages: LB_ADDSTRING (lParam a NUL-terminated text) answers the new line's index,
// LB_GETCOUNT the number of lines, LB_SETCURSEL (wParam the line) selects and shows it.
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETCOUNT = 0x018B;

// Null handle: 0.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registration makes a window findable; a window must be unregistered before its record goes.
// Unregistering a window leaves its children registered but unreachable from it.
void RegisterWindow(HWND window);
void UnregisterWindow(HWND window);
// The window is registered (a handle kept across calls may have gone since).
bool IsWindow(HWND window);

// The first registered top-level window of the class (exact, case as written) whose title
// matches (null title: any); null when none.
HWND FindWindowA(const char* className, const char* title);
// Every registered descendant of parent, depth first in registration order, until proc answers 0.
// Answers nonzero when the walk ran to its end.
BOOL EnumChildWindows(HWND parent, WindowEnumProc proc, LPARAM lParam);
// Copies the class name (at most size - 1 bytes and a NUL); answers the bytes copied, 0 for a
// null window.
int GetClassNameA(HWND window, char* name, int size);

// Copies text into an answer buffer of capacity bytes the way the messages above do: at most
// capacity - 1 bytes and a NUL; answers the bytes copied (0 and nothing written for capacity < 1).
int CopyAnswerText(const char* text, std::uint32_t length, char* buffer, int capacity);

}  // namespace platform
