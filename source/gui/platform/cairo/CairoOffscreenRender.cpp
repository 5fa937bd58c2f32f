// SPDX-License-Identifier: GPL-3.0-or-later
// The off-screen renders with cairo (Linux).
#include "platform/offscreen/OffscreenRender.h"

#include "platform/cairo/CairoDrawContext.h"
#include "views/CFrame.h"

#include <cairo.h>

#include <cmath>

namespace VSTGUI {

namespace {

cairo_surface_t* renderSurface(CFrame& frame, double scale)
{
    if (!std::isfinite(scale) || scale <= 0) return nullptr;
    CPoint size = frame.getViewSize().getSize();
    auto width = static_cast<int>(std::lround(size.x * scale));
    auto height = static_cast<int>(std::lround(size.y * scale));
    if (width <= 0 || height <= 0 || width > 32768 || height > 32768) return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_t* cr = cairo_create(surface);
    {
        CairoDrawContext context(cr, scale);
        frame.drawRect(context, frame.getViewSize());
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

} // namespace

OffscreenImage renderToImage(CFrame& frame, double scale)
{
    OffscreenImage image;
    cairo_surface_t* surface = renderSurface(frame, scale);
    if (!surface) return image;
    image.width = cairo_image_surface_get_width(surface);
    image.height = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    image.pixels.resize(static_cast<std::size_t>(image.width) *
                        static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < image.width; ++x)
        {
            std::uint32_t p = row[x];
            std::uint32_t a = p >> 24;
            auto channel = [&](int shift) {
                std::uint32_t c = (p >> shift) & 0xFF;
                return a == 0 ? 0u : std::min(255u, (c * 255 + a / 2) / a);
            };
            image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                         static_cast<std::size_t>(x)] =
                (a << 24) | (channel(16) << 16) | (channel(8) << 8) | channel(0);
        }
    }
    cairo_surface_destroy(surface);
    return image;
}

bool renderToPNG(CFrame& frame, double scale, UTF8StringPtr path)
{
    if (!path) return false;
    cairo_surface_t* surface = renderSurface(frame, scale);
    if (!surface) return false;
    bool written = cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

} // namespace VSTGUI
