// SPDX-License-Identifier: GPL-3.0-or-later
#include "description/XmlTree.h"

#include <cstring>

namespace VSTGUI {

const std::string* XmlElement::attribute(const char* attributeName) const
{
    for (const auto& entry : attributes)
        if (entry.first == attributeName) return &entry.second;
    return nullptr;
}

const char* XmlElement::value(const char* attributeName) const
{
    const std::string* found = attribute(attributeName);
    return found ? found->c_str() : "";
}

const XmlElement* XmlElement::child(const char* elementName) const
{
    for (const XmlElement& element : children)
        if (element.name == elementName) return &element;
    return nullptr;
}

const XmlElement* XmlElement::findChild(const char* elementName, const char* attributeName,
                                        const char* wanted) const
{
    for (const XmlElement& element : children)
    {
        if (element.name != elementName) continue;
        const std::string* found = element.attribute(attributeName);
        if (found && *found == wanted) return &element;
    }
    return nullptr;
}

} // namespace VSTGUI
