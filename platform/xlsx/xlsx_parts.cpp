#include "platform/xlsx/xlsx_parts.h"

#include "platform/xlsx/xlsx_xml.h"

namespace platform::xlsx {
namespace {

std::string_view FolderOf(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : part.substr(0, slash + 1);
}

}  // namespace

std::string RelationshipsPartOf(std::string_view part) {
    const std::string_view folder = FolderOf(part);
    return std::string(folder) + "_rels/" + std::string(part.substr(folder.size())) + ".rels";
}

std::string ResolveTarget(std::string_view sourcePart, std::string_view target) {
    std::string joined = !target.empty() && target[0] == '/'
                             ? std::string(target.substr(1))
                             : std::string(FolderOf(sourcePart)) + std::string(target);
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string segment = joined.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string part;
    for (const std::string& segment : segments) part += (part.empty() ? "" : "/") + segment;
    return part;
}

std::string TargetFor(std::string_view sourcePart, std::string_view part) {
    const std::string_view folder = FolderOf(sourcePart);
    if (part.substr(0, folder.size()) == folder) return std::string(part.substr(folder.size()));
    return "/" + std::string(part);
}

std::vector<Relationship> ReadRelationships(const pugi::xml_document& rels, std::string_view sourcePart) {
    std::vector<Relationship> found;
    for (pugi::xml_node node = rels.document_element().first_child(); node; node = node.next_sibling()) {
        if (node.type() != pugi::node_element || LocalName(node) != "Relationship") continue;
        const bool external = std::string_view(node.attribute("TargetMode").value()) == "External";
        found.push_back({node.attribute("Id").value(), node.attribute("Type").value(),
                         external ? "" : ResolveTarget(sourcePart, node.attribute("Target").value())});
    }
    return found;
}

bool TypeIs(std::string_view type, std::string_view kind) {
    return type.size() > kind.size() && type.substr(type.size() - kind.size()) == kind &&
           type[type.size() - kind.size() - 1] == '/';
}

const Relationship* FindRelationship(const std::vector<Relationship>& relationships, std::string_view kind) {
    for (const Relationship& relationship : relationships) {
        if (TypeIs(relationship.type, kind)) return &relationship;
    }
    return nullptr;
}

std::string AddRelationship(pugi::xml_document& rels, const std::string& type, const std::string& target) {
    pugi::xml_node root = rels.document_element();
    std::string id;
    for (int n = 1;; ++n) {
        id = "rId" + std::to_string(n);
        if (!root.find_child_by_attribute("Id", id.c_str())) break;
    }
    pugi::xml_node node = AddChild(root, "Relationship");
    node.append_attribute("Id") = id.c_str();
    node.append_attribute("Type") = type.c_str();
    node.append_attribute("Target") = target.c_str();
    return id;
}

void AddContentTypeOverride(pugi::xml_document& types, const std::string& part,
                            const std::string& contentType) {
    pugi::xml_node node = AddChild(types.document_element(), "Override");
    node.append_attribute("PartName") = ("/" + part).c_str();
    node.append_attribute("ContentType") = contentType.c_str();
}

pugi::xml_attribute RelationshipIdAttribute(const pugi::xml_node& element) {
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
        const std::string_view name = attribute.name();
        const std::size_t colon = name.find(':');
        if (colon == std::string_view::npos || name.substr(colon + 1) != "id") continue;
        const std::string declaration = "xmlns:" + std::string(name.substr(0, colon));
        for (pugi::xml_node scope = element; scope; scope = scope.parent()) {
            if (pugi::xml_attribute ns = scope.attribute(declaration.c_str())) {
                if (std::string_view(ns.value()).find("relationships") != std::string_view::npos)
                    return attribute;
                break;
            }
        }
    }
    return {};
}

std::string RelationshipIdOf(const pugi::xml_node& element) {
    return RelationshipIdAttribute(element).value();
}

std::string CopyRelationship(pugi::xml_document& rels, const std::string& id) {
    const pugi::xml_node original = rels.document_element().find_child_by_attribute("Id", id.c_str());
    if (!original) return {};
    const std::string copy =
        AddRelationship(rels, original.attribute("Type").value(), original.attribute("Target").value());
    if (pugi::xml_attribute mode = original.attribute("TargetMode")) {
        rels.document_element().find_child_by_attribute("Id", copy.c_str()).append_attribute("TargetMode") =
            mode.value();
    }
    return copy;
}

}  // namespace platform::xlsx
