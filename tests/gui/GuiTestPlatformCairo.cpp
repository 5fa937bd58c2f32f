// SPDX-License-Identifier: GPL-3.0-or-later
// The test support's platform part on Linux: PNG files written with cairo.
#include "GuiTestSupport.h"

#include <cairo.h>

namespace GuiTest {

namespace {

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    auto* out = static_cast<std::vector<unsigned char>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

const Steinberg::FIDString kNativeWindowType = Steinberg::kPlatformTypeX11EmbedWindowID;
const Steinberg::FIDString kForeignWindowType = Steinberg::kPlatformTypeHWND;

std::vector<unsigned char> makePng(int width, int height, uint32_t (*pixel)(int x, int y))
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            reinterpret_cast<uint32_t*>(data + y * stride)[x] = pixel(x, y);
    cairo_surface_mark_dirty(surface);
    std::vector<unsigned char> png;
    cairo_surface_write_to_png_stream(surface, appendBytes, &png);
    cairo_surface_destroy(surface);
    return png;
}

} // namespace GuiTest
