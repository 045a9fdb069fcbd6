#include "platform/xlsx_names.h"

#include "platform/xlsx_refs.h"

namespace platform::xlsx {
namespace {

// Decodes one code point at `pos`; false for a malformed or overlong sequence or a surrogate.
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    int length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        ++pos;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (pos + static_cast<std::size_t>(length) > text.size()) return false;
    for (int i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + static_cast<std::size_t>(i));
        if ((next & 0xC0) != 0x80) return false;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    pos += static_cast<std::size_t>(length);
    return true;
}

void EncodeUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool InPairs(char32_t c, char32_t first, char32_t last, bool upperIsEven) {
    return c >= first && c <= last && ((c % 2 == 0) == upperIsEven);
}

char32_t LowerCase(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    if (InPairs(c, 0x100, 0x137, true) || InPairs(c, 0x139, 0x148, false) || InPairs(c, 0x14A, 0x177, true) ||
        InPairs(c, 0x179, 0x17E, false)) {
        return c + 1;
    }
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 32;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (InPairs(c, 0x460, 0x481, true) || InPairs(c, 0x48A, 0x4BF, true) || InPairs(c, 0x4C1, 0x4CE, false) ||
        InPairs(c, 0x4D0, 0x4FF, true)) {
        return c + 1;
    }
    if (c == 0x4C0) return 0x4CF;
    return c;
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
    std::string folded;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t code = 0;
        if (!DecodeUtf8(utf8, pos, code)) {
            folded += utf8[pos++];
            continue;
        }
        EncodeUtf8(LowerCase(code), folded);
    }
    return folded;
}

bool SameName(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }

Status CheckSheetName(std::string_view utf8) {
    std::u16string units;
    if (!Utf8ToUtf16(utf8, units)) return Status::Refused("a sheet name must be a valid text");
    if (units.empty()) return Status::Refused("a sheet name cannot be empty");
    if (units.size() > 31) return Status::Refused("a sheet name is at most 31 characters long");
    for (char16_t c : units) {
        if (c < 0x20) return Status::Refused("a sheet name cannot hold control characters");
        if (std::u16string_view(u":\\/?*[]").find(c) != std::u16string_view::npos) {
            return Status::Refused("a sheet name cannot hold : \\ / ? * [ or ]");
        }
    }
    if (units.front() == u'\'' || units.back() == u'\'') {
        return Status::Refused("a sheet name cannot begin or end with an apostrophe");
    }
    if (SameName(utf8, "History")) return Status::Refused("\"History\" is reserved");
    return Status::Ok();
}

std::string SheetPrefix(std::string_view name) {
    bool bare = !name.empty() && !(name[0] >= '0' && name[0] <= '9') && name[0] != '.';
    for (char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                           c == '_' || c == '.';
        if (!plain) bare = false;
    }
    // Names a formula would read as a cell ("AB12"), a row-column address ("R1C1") or a truth value.
    std::string upper(name);
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    if (ParseCell(upper) || upper == "TRUE" || upper == "FALSE") bare = false;
    if (!upper.empty() && (upper[0] == 'R' || upper[0] == 'C') && upper.size() > 1 &&
        ((upper[1] >= '0' && upper[1] <= '9') || upper[1] == 'C')) {
        bare = false;
    }
    if (bare) return std::string(name) + "!";
    std::string quoted = "'";
    for (char c : name) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted + "'!";
}

bool Utf8ToUtf16(std::string_view utf8, std::u16string& out) {
    out.clear();
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t code = 0;
        if (!DecodeUtf8(utf8, pos, code)) return false;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
    }
    return true;
}

bool Utf16ToUtf8(std::u16string_view utf16, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t code = utf16[i];
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 1 >= utf16.size() || utf16[i + 1] < 0xDC00 || utf16[i + 1] > 0xDFFF) return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return false;
        }
        EncodeUtf8(code, out);
    }
    return true;
}

}  // namespace platform::xlsx
