// SPDX-License-Identifier: GPL-3.0-or-later
#include "description/EmbeddedResources.h"

namespace VSTGUI {

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (lowerAscii(*a) != lowerAscii(*b)) return false;
    return *a == *b;
}

} // namespace

const EmbeddedResource* ResourceTable::find(const char* name) const
{
    if (!name || !entries) return nullptr;
    for (const EmbeddedResource* entry = entries; entry->name; ++entry)
        if (equalsIgnoringCase(entry->name, name)) return entry;
    return nullptr;
}

} // namespace VSTGUI
