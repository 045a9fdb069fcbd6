#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// The process's sense of time and its debug output, replaceable by tests so that nothing waits
// for real time: a millisecond tick counter (wraps like a 32-bit counter), a sleeper and a sink
// for debug lines.
std::uint32_t TickCountMs();
void SleepMs(unsigned milliseconds);
void DebugLine(std::string_view text);

struct ClockHooks {
    std::function<std::uint32_t()> tickCount;
    std::function<void(unsigned)> sleep;
    std::function<void(std::string_view)> debug;
};
// Replaces the hooks given (empty members keep the real behaviour); returns the previous ones.
ClockHooks SetClockHooks(ClockHooks hooks);

// The wall clock that the local and the universal date and time are read from, replaceable by
// tests like the hooks above. Set returns the previous replacement (empty: the system's clock).
using WallClock = std::function<std::chrono::system_clock::time_point()>;
std::chrono::system_clock::time_point WallClockNow();
WallClock SetWallClock(WallClock clock);

}  // namespace platform
