#pragma once

#include <QDate>
#include <QTime>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// The instrument's clock block: 17 bytes at memory type 2, register 0 (byte j is register j).
// Byte 0 is the control byte, bytes 2..6 hold seconds, minutes, hours, day and month in BCD (the
// day's byte also the year's two low bits), byte 16 the year minus 2000, which is also the
// settings record's first byte.
inline constexpr int kClockBlockSize = 17;
using TClockBlock = std::array<std::uint8_t, kClockBlockSize>;

inline constexpr std::uint8_t kClockStopped = 0x80;  // the control byte while the clock is set
// The years the block's year byte carries.
inline constexpr int kClockFirstYear = 2000;
inline constexpr int kClockLastYear = 2255;

// The zero date the date picker shows for a day and month that form no date.
inline QDate ZeroDate() { return QDate(1899, 12, 30); }

bool ClockYearFits(const QDate& date);

// The block the clock write sends for a date and time (milliseconds dropped). The date's year
// must fit the block.
TClockBlock PackDateTime(const QDate& date, const QTime& time);

// The clock read's decoders. A BCD field's tens digit may carry flag bits, which are masked;
// its units digit must be a decimal digit. Too short a text, a digit that is none, or values that
// form no time or date give nothing.
// Time of day from the six characters of bytes 2..4 (seconds, minutes, hours).
std::optional<QTime> DeviceTimeFromHex(std::string_view text);
// Day and month from the four characters of bytes 5..6, in a leap year so that 29 February is
// carried; the year comes from the year byte.
std::optional<QDate> DeviceDateFromHex(std::string_view text);
// The year byte's answer as a decimal number, 0 when it holds none.
int YearFromText(std::string_view text);
// The clock's date once its year is known: the day and month of the first step in that year, or
// nothing when they form no date in it.
std::optional<QDate> DeviceDateInYear(const QDate& dayAndMonth, int yearByte);
