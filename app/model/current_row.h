#pragma once

#include <cstddef>
#include <cstdint>

// The current measurement: a written flag, then five packed 48-byte blocks (the reference, then
// channels 1..4), little-endian.
inline constexpr std::size_t kCurrentRowSize = 241;
inline constexpr std::size_t kMeasBlockSize = 48;
inline constexpr std::size_t kUnitSlot = 20;
inline constexpr int kProtocolRows = 1024;
inline constexpr int kProtocolRowLimit = 1023;  // the append stops here

namespace row {
inline constexpr std::size_t Written = 0;
}  // namespace row

namespace block {
inline constexpr std::size_t Included = 0;
inline constexpr std::size_t LowerLimit = 4;
inline constexpr std::size_t UpperLimit = 8;
inline constexpr std::size_t Unit = 12;
inline constexpr std::size_t Pressure = 32;
inline constexpr std::size_t Current = 36;
inline constexpr std::size_t Error = 40;
inline constexpr std::size_t Uncertainty = 44;
}  // namespace block

// Start of block k (0 the reference, 1..4 the channels) within a row.
constexpr std::size_t MeasBlockOffset(int k) { return 1 + kMeasBlockSize * static_cast<std::size_t>(k); }
