#include "platform/automation/window_handle.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform {
namespace {

struct WindowList {
    std::mutex lock;
    std::vector<HWND> windows;  // in registration order
};

WindowList& Windows() {
    static WindowList list;
    return list;
}

bool SameText(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

// Depth first below parent; false when proc stopped the walk.
bool WalkChildren(const std::vector<HWND>& windows, HWND parent, WindowEnumProc proc, LPARAM lParam) {
    for (HWND window : windows) {
        if (window->parent != parent) continue;
        if (!proc(window, lParam)) return false;
        if (!WalkChildren(windows, window, proc, lParam)) return false;
    }
    return true;
}

}  // namespace

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!window || !window->proc) return 0;
    return window->proc(window, message, wParam, lParam);
}

void RegisterWindow(HWND window) {
    if (!window) return;
    WindowList& list = Windows();
    std::lock_guard guard(list.lock);
    if (std::find(list.windows.begin(), list.windows.end(), window) == list.windows.end()) {
        list.windows.push_back(window);
    }
}

void UnregisterWindow(HWND window) {
    WindowList& list = Windows();
    std::lock_guard guard(list.lock);
    std::erase(list.windows, window);
}

bool IsWindow(HWND window) {
    WindowList& list = Windows();
    std::lock_guard guard(list.lock);
    return window && std::find(list.windows.begin(), list.windows.end(), window) != list.windows.end();
}

HWND FindWindowA(const char* className, const char* title) {
    WindowList& list = Windows();
    std::lock_guard guard(list.lock);
    for (HWND window : list.windows) {
        if (window->parent || !SameText(window->className, className)) continue;
        if (title && !SameText(window->title, title)) continue;
        return window;
    }
    return nullptr;
}

BOOL EnumChildWindows(HWND parent, WindowEnumProc proc, LPARAM lParam) {
    if (!parent || !proc) return 0;
    std::vector<HWND> snapshot;
    {
        WindowList& list = Windows();
        std::lock_guard guard(list.lock);
        snapshot = list.windows;
    }
    // The walk runs on a copy: a procedure may register or unregister windows.
    return WalkChildren(snapshot, parent, proc, lParam) ? 1 : 0;
}

int GetClassNameA(HWND window, char* name, int size) {
    if (!window || !window->className) return 0;
    return CopyAnswerText(window->className, static_cast<std::uint32_t>(std::strlen(window->className)), name,
                          size);
}

int CopyAnswerText(const char* text, std::uint32_t length, char* buffer, int capacity) {
    if (!buffer || capacity < 1) return 0;
    const std::uint32_t copied = std::min(length, static_cast<std::uint32_t>(capacity - 1));
    if (copied) std::memcpy(buffer, text, copied);
    buffer[copied] = '\0';
    return static_cast<int>(copied);
}

}  // namespace platform
