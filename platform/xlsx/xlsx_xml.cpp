#include "platform/xlsx/xlsx_xml.h"

namespace platform::xlsx {

std::string_view LocalName(const pugi::xml_node& node) {
    const std::string_view name = node.name();
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view local) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == local) return child;
    }
    return {};
}

pugi::xml_node AddChild(pugi::xml_node parent, std::string_view local, pugi::xml_node before) {
    const std::string_view parentName = parent.name();
    const std::size_t colon = parentName.find(':');
    std::string name;
    if (colon != std::string_view::npos) name = std::string(parentName.substr(0, colon + 1));
    name += local;
    return before ? parent.insert_child_before(name.c_str(), before) : parent.append_child(name.c_str());
}

int ElementCount(const pugi::xml_node& node) {
    int count = 0;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element) ++count;
    }
    return count;
}

std::vector<pugi::xml_node> Elements(const pugi::xml_node& parent, std::string_view local) {
    std::vector<pugi::xml_node> found;
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && LocalName(child) == local) found.push_back(child);
    }
    return found;
}

void SetAttribute(pugi::xml_node node, const char* name, const std::string& value) {
    pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) attribute = node.append_attribute(name);
    attribute.set_value(value.c_str());
}

Status ParseXml(const std::string& bytes, const std::string& part, pugi::xml_document& into) {
    // Whitespace-only texts matter in cells (" " is a value); declarations are written back as they were.
    const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata_single;
    const pugi::xml_parse_result result =
        into.load_buffer(bytes.data(), bytes.size(), options, pugi::encoding_utf8);
    if (!result) return Status::Refused(part + " is not well-formed XML: " + result.description());
    if (!into.document_element()) return Status::Refused(part + " holds no element");
    return Status::Ok();
}

namespace {

// Appends straight to the text, without a stream's buffer and its copy at the end.
class TextWriter final : public pugi::xml_writer {
  public:
    explicit TextWriter(std::string& text) : text_(text) {}
    void write(const void* data, size_t size) override { text_.append(static_cast<const char*>(data), size); }

  private:
    std::string& text_;
};

}  // namespace

std::string SerializeXml(const pugi::xml_document& doc) {
    // A declaration node parsed with the part is written back; a part without one gets the plain one.
    std::string text;
    TextWriter writer(text);
    doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return text;
}

}  // namespace platform::xlsx
