// SPDX-License-Identifier: GPL-3.0-or-later
// Files built into the module (the editor description and its bitmaps). A Windows module keeps
// them as "DATA" and "PNG" resources; everywhere they are looked up by file name, without regard
// to case, so "brask_KNOB.png" finds "Brask_knob.png".
#pragma once

#include <cstddef>

namespace VSTGUI {

struct EmbeddedResource
{
    const char* name; ///< file name, e.g. "Tarvik_Brask.uidesc"; null ends a table
    const unsigned char* data;
    std::size_t size;
};

/** A table of embedded files, ended by an entry whose name is null. */
class ResourceTable
{
public:
    explicit constexpr ResourceTable(const EmbeddedResource* entries) : entries(entries) {}

    /** The entry whose name equals `name` ignoring ASCII case, or null. */
    const EmbeddedResource* find(const char* name) const;

    const EmbeddedResource* begin() const { return entries; }

private:
    const EmbeddedResource* entries;
};

/** The module's own resources. Defined by the module that links the editor runtime (generated
 *  into its build), so the runtime itself knows no product. */
const ResourceTable& moduleResources();

} // namespace VSTGUI
