#pragma once

#include <QString>
#include <optional>
#include <string_view>

// Number texts as the pages show and read them, always with '.' as the decimal point, whatever
// the user's locale says.

inline constexpr char kDecimalPoint = '.';

// Makes '.' the decimal point of the whole process: the C library's numeric locale and Qt's
// default locale. The main window does it at its first show.
void UseDotDecimalSeparator();

QString FloatText4(float value);  // "%.4f"
QString FloatText3(float value);  // "%.3f"
// "%.7f" cut to nine characters.
QString FloatText7(float value);
// A number text cut to nine characters, but never inside its integer part: an integer part
// longer than nine characters (sign included) is shown whole, without the point.
QString CutToNine(const QString& text);

// The number at the start of the text (blanks skipped, the longest decimal prefix taken), as a
// float rounded once from the text; nothing when none is there or when it is beyond the float
// range, 0 when it is too small for one. Every cell, edit and answer is read through it.
std::optional<float> ReadFloat(std::string_view text);
std::optional<float> ReadFloat(const QString& text);

// ReadFloat, 0 when there is no number.
float ParseFloat(const char* text);
float ParseFloat(std::string_view text);
float ParseFloat(const QString& text);

// The text begins with a number (so "12abc" counts, "" and "abc" do not).
bool IsFloatText(const char* text);
bool IsFloatText(std::string_view text);
bool IsFloatText(const QString& text);

// The text cut to at most n digits after its first '.', never rounded.
QString CutFraction(const QString& text, int n);

// The running executable's folder without a closing separator, in the file system's encoding,
// or "Error GetModuleFileName()". The text lives until the next call.
const char* ExeDir();
// Today's local date as "yyyy.mm.dd". The text lives until the next call.
const char* TodayText();
