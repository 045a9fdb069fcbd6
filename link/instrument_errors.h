#pragma once

// The instrument's error texts by code (UTF-8); codes outside 0..13 give the text of 13.
inline constexpr int kInstrumentErrorCount = 14;
const char* InstrumentErrorText(int code);
