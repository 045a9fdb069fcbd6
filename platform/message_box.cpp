#include "platform/message_box.h"

#include <cstdio>

#include "platform/clock.h"
#include "platform/wide_text.h"

namespace platform {
namespace {

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

std::string Utf8FromCp1251(const char* text) {
    return text ? Utf8FromWide(WideFromCp1251(text)) : std::string();
}

}  // namespace

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, UINT type) {
    const std::string utf8Text = Utf8FromCp1251(text);
    const std::string utf8Caption = Utf8FromCp1251(caption);
    if (Handler()) return Handler()(utf8Text, utf8Caption, type);
    // Without a handler the box still reaches whoever watches the program's output.
    const std::string line = "[" + utf8Caption + "] " + utf8Text;
    DebugLine(line);
    std::fprintf(stderr, "%s\n", line.c_str());
    return IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

}  // namespace platform
