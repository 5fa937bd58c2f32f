// SPDX-License-Identifier: GPL-3.0-or-later
// An XML document as the description reads it: elements with their attributes in document
// order and their child elements; text, comments and processing instructions are dropped. The
// parser is the platform's (pugixml on Linux, XmlLite on Windows), so the runtime carries no
// XML library where the system has one.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace VSTGUI {

struct XmlElement
{
    /** Elements nested deeper are left out with their children, so that a hostile document
     *  costs neither stack nor memory; a description never comes near it. */
    static constexpr int kMaxDepth = 256;

    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<XmlElement> children;

    /** The attribute's value, or null when the element has none of that name. */
    const std::string* attribute(const char* attributeName) const;
    /** The attribute's value, or "" when there is none. */
    const char* value(const char* attributeName) const;
    /** The first child element of that name, or null. */
    const XmlElement* child(const char* elementName) const;
    /** The first child element `elementName` whose attribute `attributeName` is `wanted`. */
    const XmlElement* findChild(const char* elementName, const char* attributeName,
                                const char* wanted) const;
};

/** Reads a whole document into `root` (its single top element). False, with `root` left empty,
 *  for input that is not well-formed XML. Defined by the XML backend. */
bool parseXmlDocument(const unsigned char* data, std::size_t size, XmlElement& root);

} // namespace VSTGUI
