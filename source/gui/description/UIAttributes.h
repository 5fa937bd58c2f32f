// SPDX-License-Identifier: GPL-3.0-or-later
// UIAttributes: the attributes of one view element of a description, by name.
#pragma once

#include "base/VSTGUIBase.h"

#include <map>
#include <string>

namespace VSTGUI {

class UIAttributes
{
public:
    void setAttribute(const std::string& name, const std::string& value)
    {
        attributes[name] = value;
    }
    bool hasAttribute(const std::string& name) const { return attributes.count(name) != 0; }
    /** The value, or null when the attribute is absent. */
    const std::string* getAttributeValue(const std::string& name) const
    {
        auto it = attributes.find(name);
        return it == attributes.end() ? nullptr : &it->second;
    }
    /** The attribute as a finite number. */
    bool getDoubleAttribute(const std::string& name, double& value) const;
    bool getBooleanAttribute(const std::string& name, bool& value) const;
    /** Two numbers separated by a comma, as in "25, 25". */
    bool getPointAttribute(const std::string& name, CPoint& point) const;

private:
    std::map<std::string, std::string> attributes;
};

} // namespace VSTGUI
