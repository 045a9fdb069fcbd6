#include "platform/text/wide_text.h"

#include <array>
#include <unordered_map>

namespace platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Unicode of the bytes 0x80..0xFF. Byte 0x98 has no character in code page 1251; it reads as
// U+FFFD (the replacement character) so that a damaged text shows up as damaged instead of
// passing for a plausible letter, and U+FFFD is never written back as 0x98.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 0xC0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // 0xC8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // 0xD0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // 0xD8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // 0xE0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // 0xE8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // 0xF0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // 0xF8
};

const std::unordered_map<char16_t, char>& ByCharacter() {
    static const std::unordered_map<char16_t, char> table = [] {
        std::unordered_map<char16_t, char> map;
        for (std::size_t i = 0; i < kUpperHalf.size(); ++i) {
            if (kUpperHalf[i] != kReplacement) map.emplace(kUpperHalf[i], static_cast<char>(0x80 + i));
        }
        return map;
    }();
    return table;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf16(std::u16string& text, char32_t code) {
    if (code < 0x10000) {
        text += static_cast<char16_t>(code);
        return;
    }
    code -= 0x10000;
    text += static_cast<char16_t>(0xD800 + (code >> 10));
    text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
}

}  // namespace

std::u16string WideFromCp1251(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text += code < 0x80 ? char16_t{code} : kUpperHalf[code - 0x80];
    }
    return text;
}

std::string Cp1251FromWide(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    const auto& byCharacter = ByCharacter();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t code = text[i];
        if (code < 0x80) {
            bytes += static_cast<char>(code);
            continue;
        }
        if (IsHighSurrogate(code) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
        const auto found = byCharacter.find(code);
        bytes += found != byCharacter.end() ? found->second : '?';
    }
    return bytes;
}

std::u16string WideFromUtf8(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        char32_t code = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, code = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, code = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, code = lead & 0x07, least = 0x10000;
        } else {
            text += kReplacement;
            ++i;
            continue;
        }
        std::size_t taken = 1;
        bool good = true;
        for (int k = 0; k < extra; ++k, ++taken) {
            if (i + taken >= bytes.size() || (static_cast<unsigned char>(bytes[i + taken]) & 0xC0) != 0x80) {
                good = false;
                break;
            }
            code = (code << 6) | (static_cast<unsigned char>(bytes[i + taken]) & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        if (!good || code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            text += kReplacement;
        } else {
            AppendUtf16(text, code);
        }
        i += taken;
    }
    return text;
}

std::string Utf8FromWide(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacement;
        }
        if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else if (code < 0x800) {
            bytes += static_cast<char>(0xC0 | (code >> 6));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += static_cast<char>(0xE0 | (code >> 12));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (code >> 18));
            bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

}  // namespace platform
