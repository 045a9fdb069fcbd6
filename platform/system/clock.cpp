#include "platform/system/clock.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace platform {
namespace {

ClockHooks& Hooks() {
    static ClockHooks hooks;
    return hooks;
}

WallClock& Wall() {
    static WallClock clock;
    return clock;
}

}  // namespace

std::uint32_t TickCountMs() {
    if (Hooks().tickCount) return Hooks().tickCount();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SleepMs(unsigned milliseconds) {
    if (Hooks().sleep) return Hooks().sleep(milliseconds);
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void DebugLine(std::string_view text) {
    if (Hooks().debug) return Hooks().debug(text);
    if (std::getenv("ZKV_DEBUG")) std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

ClockHooks SetClockHooks(ClockHooks hooks) {
    ClockHooks previous = Hooks();
    Hooks() = std::move(hooks);
    return previous;
}

std::chrono::system_clock::time_point WallClockNow() {
    if (Wall()) return Wall()();
    return std::chrono::system_clock::now();
}

WallClock SetWallClock(WallClock clock) {
    WallClock previous = Wall();
    Wall() = std::move(clock);
    return previous;
}

}  // namespace platform
