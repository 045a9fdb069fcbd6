#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The receive parser of instrument answers:  0xFF '!' address ';' (fields ';' | '$' code ';') crc '\r'.
inline constexpr std::size_t kAnswerBufferSize = 1024;  // size of the buffer Data points at
inline constexpr std::int8_t ErrFrame = 50;             // Error after a local frame error

struct TAnswerParser {
    std::int8_t Error = 0;     // 0, the code of an error answer, or ErrFrame
    std::uint8_t Addr = 0;     // address read from the answer
    char* Data = nullptr;      // kAnswerBufferSize bytes; the data text of the last answer
    char* Put = nullptr;       // next free place in Data
    std::uint8_t State = 1;
    std::uint16_t Crc = 0xFFFF;      // running CRC since the start character
    std::uint16_t CrcAtSep = 0;      // Crc just after the last separator
    std::uint16_t RxCrc = 0;         // value of the digits after the last separator
    char* SepEnd = nullptr;          // place in Data just after the last stored separator
};

extern TAnswerParser AnswerParser;

enum CharClassCode : int {
    ClassStart = 0,
    ClassNumber = 1,
    ClassHexLetter = 2,
    ClassSeparator = 3,
    ClassErrorMark = 4,
    ClassEnd = 5,
    ClassOther = 6,
};

int CharClass(std::uint8_t byte);
void ResetAnswerParser(TAnswerParser& parser);
// True exactly when the byte completes an answer whose CRC matches.
bool ParseAnswerByte(std::uint8_t byte, TAnswerParser& parser);

// Decodes up to count bytes of hexadecimal text (either case), two digits a byte, high first. It
// stops at the text's end and at the first pair that is not two hexadecimal digits, so the bytes
// out holds beyond them stay; returns the number of bytes decoded.
int HexToBytes(std::uint8_t* out, std::string_view text, int count);
int HexToBytes(std::uint8_t* out, const char* text, int count);
