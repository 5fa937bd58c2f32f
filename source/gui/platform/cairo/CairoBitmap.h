// SPDX-License-Identifier: GPL-3.0-or-later
// A bitmap decoded into a cairo image surface.
#pragma once

#include "base/IPlatformBitmap.h"

#include <cairo.h>

namespace VSTGUI {

class CairoBitmap : public IPlatformBitmap
{
public:
    /** Takes over the reference to `surface`. */
    explicit CairoBitmap(cairo_surface_t* surface) : surface(surface) {}
    ~CairoBitmap() override { cairo_surface_destroy(surface); }
    CairoBitmap(const CairoBitmap&) = delete;
    CairoBitmap& operator=(const CairoBitmap&) = delete;

    CPoint getPixelSize() const override;
    cairo_surface_t* getSurface() const { return surface; }

private:
    cairo_surface_t* surface;
};

} // namespace VSTGUI
