// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cairo/CairoBitmap.h"

#include <cstring>

namespace VSTGUI {

namespace {

struct MemoryReader
{
    const unsigned char* data;
    std::size_t size;
    std::size_t position;
};

cairo_status_t readFromMemory(void* closure, unsigned char* out, unsigned int length)
{
    auto* reader = static_cast<MemoryReader*>(closure);
    if (reader->size - reader->position < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

// Larger images are refused rather than decoded: nothing the editor draws comes near this.
constexpr int kMaxDimension = 32768;

} // namespace

CPoint CairoBitmap::getPixelSize() const
{
    return {CCoord(cairo_image_surface_get_width(surface)),
            CCoord(cairo_image_surface_get_height(surface))};
}

std::shared_ptr<IPlatformBitmap> createPlatformBitmapFromPNG(const unsigned char* data,
                                                             std::size_t size)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!data || size < sizeof(kSignature) ||
        std::memcmp(data, kSignature, sizeof(kSignature)) != 0)
        return nullptr;
    MemoryReader reader{data, size, 0};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(readFromMemory, &reader);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_width(surface) <= 0 ||
        cairo_image_surface_get_height(surface) <= 0 ||
        cairo_image_surface_get_width(surface) > kMaxDimension ||
        cairo_image_surface_get_height(surface) > kMaxDimension)
    {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::make_shared<CairoBitmap>(surface);
}

} // namespace VSTGUI
