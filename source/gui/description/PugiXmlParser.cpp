// SPDX-License-Identifier: GPL-3.0-or-later
// parseXmlDocument with pugixml (Linux).
#include "description/XmlTree.h"

#include <pugixml.hpp>

namespace VSTGUI {

namespace {

void copyElement(const pugi::xml_node& node, XmlElement& element, int depth)
{
    element.name = node.name();
    for (const pugi::xml_attribute& attribute : node.attributes())
        element.attributes.emplace_back(attribute.name(), attribute.value());
    if (depth >= XmlElement::kMaxDepth) return;
    for (const pugi::xml_node& child : node.children())
    {
        if (child.type() != pugi::node_element) continue;
        element.children.emplace_back();
        copyElement(child, element.children.back(), depth + 1);
    }
}

} // namespace

bool parseXmlDocument(const unsigned char* data, std::size_t size, XmlElement& root)
{
    root = XmlElement();
    if (!data) return false;
    pugi::xml_document document;
    if (!document.load_buffer(data, size, pugi::parse_default)) return false;
    pugi::xml_node top = document.document_element();
    if (!top) return false;
    copyElement(top, root, 1);
    return true;
}

} // namespace VSTGUI
