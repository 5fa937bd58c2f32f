// SPDX-License-Identifier: GPL-3.0-or-later
#include "description/UIAttributes.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace VSTGUI {

namespace {

bool parseNumber(const char*& cursor, double& value)
{
    char* end = nullptr;
    errno = 0;
    double parsed = std::strtod(cursor, &end);
    if (end == cursor || errno == ERANGE || !std::isfinite(parsed)) return false;
    cursor = end;
    value = parsed;
    return true;
}

void skipSpaces(const char*& cursor)
{
    while (*cursor == ' ' || *cursor == '\t' || *cursor == '\n' || *cursor == '\r')
        ++cursor;
}

} // namespace

bool UIAttributes::getDoubleAttribute(const std::string& name, double& value) const
{
    const std::string* text = getAttributeValue(name);
    if (!text) return false;
    const char* cursor = text->c_str();
    double parsed = 0;
    if (!parseNumber(cursor, parsed)) return false;
    skipSpaces(cursor);
    if (*cursor) return false;
    value = parsed;
    return true;
}

bool UIAttributes::getBooleanAttribute(const std::string& name, bool& value) const
{
    const std::string* text = getAttributeValue(name);
    if (!text) return false;
    if (*text == "true")
        value = true;
    else if (*text == "false")
        value = false;
    else
        return false;
    return true;
}

bool UIAttributes::getPointAttribute(const std::string& name, CPoint& point) const
{
    const std::string* text = getAttributeValue(name);
    if (!text) return false;
    const char* cursor = text->c_str();
    double x = 0, y = 0;
    if (!parseNumber(cursor, x)) return false;
    skipSpaces(cursor);
    if (*cursor++ != ',') return false;
    if (!parseNumber(cursor, y)) return false;
    skipSpaces(cursor);
    if (*cursor) return false;
    point = CPoint(x, y);
    return true;
}

} // namespace VSTGUI
