// SPDX-License-Identifier: GPL-3.0-or-later
// A resource table over files a Windows module embeds as resources of its own (type "PNG" for
// bitmaps, "DATA" for anything else; see EmbeddedResources.h). The data stays where Windows
// mapped it, for as long as the module is loaded. Defined here, in the header, because the
// module's own table (generated with its file names) comes after the runtime on the link line.
#pragma once

#include "description/EmbeddedResources.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace VSTGUI {

class Win32ResourceTable
{
public:
    /** Finds the files `names` (ended by null) in the module that holds this code; files it
     *  lacks are left out. */
    explicit Win32ResourceTable(const char* const* names);

    const ResourceTable& get() const { return table; }

private:
    std::vector<EmbeddedResource> entries;
    ResourceTable table;
};

namespace win32resources {

inline bool isBitmapName(const char* name)
{
    std::size_t length = std::strlen(name);
    return length > 4 && _stricmp(name + length - 4, ".png") == 0;
}

inline HMODULE ownModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ownModule), &module);
    return module;
}

} // namespace win32resources

inline Win32ResourceTable::Win32ResourceTable(const char* const* names) : table(nullptr)
{
    HMODULE module = win32resources::ownModule();
    for (const char* const* name = names; name && *name; ++name)
    {
        HRSRC found =
            FindResourceA(module, *name, win32resources::isBitmapName(*name) ? "PNG" : "DATA");
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const void* data = loaded ? LockResource(loaded) : nullptr;
        if (!data) continue;
        entries.push_back({*name, static_cast<const unsigned char*>(data),
                           std::size_t(SizeofResource(module, found))});
    }
    entries.push_back({nullptr, nullptr, 0});
    table = ResourceTable(entries.data());
}

} // namespace VSTGUI
