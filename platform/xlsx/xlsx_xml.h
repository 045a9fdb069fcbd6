#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "platform/xlsx/xlsx_status.h"

namespace platform::xlsx {

// Element names compare by their local part: some writers put the spreadsheet namespace behind a prefix.
std::string_view LocalName(const pugi::xml_node& node);
pugi::xml_node Child(const pugi::xml_node& parent, std::string_view local);
// A new element in the parent's namespace prefix, appended or before `before` when given.
pugi::xml_node AddChild(pugi::xml_node parent, std::string_view local, pugi::xml_node before = {});
// The number of element children (text and comments not counted).
int ElementCount(const pugi::xml_node& node);
// The element children of that local name, in document order (none for a null parent).
std::vector<pugi::xml_node> Elements(const pugi::xml_node& parent, std::string_view local);
// Sets the attribute, adding it when missing.
void SetAttribute(pugi::xml_node node, const char* name, const std::string& value);

Status ParseXml(const std::string& bytes, const std::string& part, pugi::xml_document& into);
std::string SerializeXml(const pugi::xml_document& doc);

}  // namespace platform::xlsx
