#pragma once

#include <cstddef>

// The current measurement block: a written flag, the reference block and four channel blocks.
inline constexpr std::size_t kCurrentRowSize = 241;
