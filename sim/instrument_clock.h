#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <vector>

namespace sim {

// The instrument's real-time clock. It keeps its time where the workstation reads and writes it:
// the BCD bytes 2..6 of the clock block and the year byte 16 of the settings memory. It counts
// while bit 7 of the control byte 0 is clear and stands still while it is set, as the clock write
// leaves it between its two requests. A block holding no valid time stands still too.
class InstrumentClock {
  public:
    // Puts a local time into the clock block and the year byte.
    static void Set(std::vector<std::uint8_t>& memory, const std::tm& local);
    // Moves the clock on by the time passed since the previous call (nothing on the first one).
    void Advance(std::vector<std::uint8_t>& memory, std::uint32_t nowMs);

  private:
    std::optional<std::uint32_t> lastMs_;
    std::uint64_t pendingMs_ = 0;
};

}  // namespace sim
