#include "platform/xlsx/xlsx_strings.h"

#include <cstdio>

#include "platform/xlsx/xlsx_xml.h"

namespace platform::xlsx {
namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

std::string Escape(unsigned code) {
    char text[16];
    std::snprintf(text, sizeof text, "_x%04X_", code);
    return text;
}

}  // namespace

std::string EscapeCellText(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) {
            // A carriage return would come back as a line feed from any XML reader.
            out += Escape(c);
        } else if (c == '_' && i + 6 < utf8.size() && utf8[i + 1] == 'x' && IsHex(utf8[i + 2]) &&
                   IsHex(utf8[i + 3]) && IsHex(utf8[i + 4]) && IsHex(utf8[i + 5]) && utf8[i + 6] == '_') {
            out += Escape('_');
        } else if (c == 0xEF && i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0xBF &&
                   (static_cast<unsigned char>(utf8[i + 2]) & 0xFE) == 0xBE) {
            out += Escape(0xFFFE + (static_cast<unsigned char>(utf8[i + 2]) & 1u));
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

SharedStrings::SharedStrings(pugi::xml_document& doc) : sst_(doc.document_element()) {
    for (pugi::xml_node si = sst_.first_child(); si; si = si.next_sibling()) {
        if (si.type() != pugi::node_element || LocalName(si) != "si") continue;
        // Only plain entries are shared again; a rich text keeps its runs to itself.
        const pugi::xml_node t = Child(si, "t");
        if (t && ElementCount(si) == 1) plain_.emplace(t.text().get(), unique_);
        ++unique_;
    }
}

int SharedStrings::Index(std::string_view utf8) {
    std::string stored = EscapeCellText(utf8);
    if (const auto found = plain_.find(stored); found != plain_.end()) return found->second;
    pugi::xml_node t = AddChild(AddChild(sst_, "si"), "t");
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    if (!stored.empty() && (isBlank(stored.front()) || isBlank(stored.back()))) {
        t.append_attribute("xml:space") = "preserve";
    }
    t.text().set(stored.c_str());
    plain_.emplace(std::move(stored), unique_);
    return unique_++;
}

void SharedStrings::SetCounts(long long references) {
    const auto set = [&](const char* name, long long value) {
        pugi::xml_attribute attribute = sst_.attribute(name);
        if (!attribute) attribute = sst_.append_attribute(name);
        attribute.set_value(value);
    };
    set("count", references);
    set("uniqueCount", unique_);
}

}  // namespace platform::xlsx
