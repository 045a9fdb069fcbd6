#include "platform/system/message_box.h"

#include <string>

#include "platform/system/clock.h"

namespace platform {
namespace {

MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}

}  // namespace

int SystemMessageBox(std::string_view text, std::string_view caption, unsigned flags) {
    if (Handler()) return Handler()(text, caption, flags);
    DebugLine(std::string(caption) + ": " + std::string(text));
    return (flags & 0x0F) == MB_OK ? IDOK : IDCANCEL;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

}  // namespace platform
