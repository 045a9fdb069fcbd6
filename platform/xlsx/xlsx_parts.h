#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace platform::xlsx {

// How the parts of a package point at each other: relationship files and content types.

// "xl/_rels/workbook.xml.rels" for "xl/workbook.xml"; "_rels/.rels" for the package itself ("").
std::string RelationshipsPartOf(std::string_view part);
// The part a relationship's target names, relative to the folder of its source part.
std::string ResolveTarget(std::string_view sourcePart, std::string_view target);
// The target a relationship from sourcePart writes for the part.
std::string TargetFor(std::string_view sourcePart, std::string_view part);

struct Relationship {
    std::string id;
    std::string type;
    std::string part;  // resolved; empty for an external target
};
std::vector<Relationship> ReadRelationships(const pugi::xml_document& rels, std::string_view sourcePart);
// The first relationship whose type ends with "/" + kind ("worksheet", "sharedStrings", ...).
const Relationship* FindRelationship(const std::vector<Relationship>& relationships, std::string_view kind);
bool TypeIs(std::string_view type, std::string_view kind);

// Adds a relationship with an id not yet used in the file; returns that id.
std::string AddRelationship(pugi::xml_document& rels, const std::string& type, const std::string& target);
void AddContentTypeOverride(pugi::xml_document& types, const std::string& part,
                            const std::string& contentType);

// The attribute of the relationships namespace ("r:id") of an element, whatever its prefix.
pugi::xml_attribute RelationshipIdAttribute(const pugi::xml_node& element);
std::string RelationshipIdOf(const pugi::xml_node& element);
// Adds a relationship like the one of that id, under a new id; returns the new id, "" when there is none.
std::string CopyRelationship(pugi::xml_document& rels, const std::string& id);

}  // namespace platform::xlsx
