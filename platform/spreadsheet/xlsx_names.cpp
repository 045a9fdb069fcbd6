#include "platform/spreadsheet/xlsx_names.h"

#include "platform/text/wide_text.h"
#include "platform/xlsx/xlsx_refs.h"

namespace platform::xlsx {
namespace {

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
    // Every letter that folds lies in the basic plane, so folding UTF-16 units is enough.
    std::u16string units = WideFromUtf8(utf8);
    for (char16_t& unit : units) unit = static_cast<char16_t>(LowerCase(unit));
    return Utf8FromWide(units);
}

bool SameName(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }

Status CheckSheetName(std::string_view utf8) {
    const std::u16string units = WideFromUtf8(utf8);
    if (Utf8FromWide(units) != utf8) return Status::Refused("a sheet name must be a valid text");
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

}  // namespace platform::xlsx
