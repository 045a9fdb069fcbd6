#pragma once

#include <cstddef>

// The verification set-up block shared by the pages.
inline constexpr std::size_t kSetupRecordSize = 2981;
