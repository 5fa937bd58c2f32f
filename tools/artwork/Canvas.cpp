// SPDX-License-Identifier: GPL-3.0-or-later
#include "Canvas.h"

#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace Brask {
namespace Artwork {

Canvas::Canvas(int width, int height, int scale)
    : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * scale, height * scale)),
      context(cairo_create(surface)), pixelScale(scale)
{
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot create a " + std::to_string(width * scale) + " x " +
                                 std::to_string(height * scale) + " image");
    cairo_scale(context, scale, scale);

    // Slight hinting keeps small lettering crisp at 100 % without distorting the shapes.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(context, options);
    cairo_font_options_destroy(options);
}

Canvas::~Canvas()
{
    cairo_destroy(context);
    cairo_surface_destroy(surface);
}

void Canvas::setColour(const Colour& colour) const
{
    cairo_set_source_rgba(context, colour.r, colour.g, colour.b, colour.a);
}

void Canvas::fillGradient(cairo_pattern_t* gradient, std::initializer_list<GradientStop> stops,
                          bool keepPath) const
{
    for (const GradientStop& stop : stops)
        cairo_pattern_add_color_stop_rgba(gradient, stop.offset, stop.colour.r, stop.colour.g,
                                          stop.colour.b, stop.colour.a);
    cairo_set_source(context, gradient);
    if (keepPath)
        cairo_fill_preserve(context);
    else
        cairo_fill(context);
    cairo_pattern_destroy(gradient);
}

void Canvas::roundedRect(double x, double y, double w, double h, double radius) const
{
    const double pi = 3.14159265358979323846;
    cairo_new_sub_path(context);
    cairo_arc(context, x + w - radius, y + radius, radius, -pi / 2, 0);
    cairo_arc(context, x + w - radius, y + h - radius, radius, 0, pi / 2);
    cairo_arc(context, x + radius, y + h - radius, radius, pi / 2, pi);
    cairo_arc(context, x + radius, y + radius, radius, pi, 3 * pi / 2);
    cairo_close_path(context);
}

void Canvas::font(double size, bool bold) const
{
    cairo_select_font_face(context, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(context, size);
}

double Canvas::textWidth(const std::string& utf8) const
{
    cairo_text_extents_t extents;
    cairo_text_extents(context, utf8.c_str(), &extents);
    return extents.x_advance;
}

double Canvas::text(const std::string& utf8, double x, double y, Align align) const
{
    return spacedText(utf8, x, y, align, 0.0);
}

double Canvas::spacedText(const std::string& utf8, double x, double y, Align align,
                          double spacing) const
{
    // Letter by letter only when spaced; whole strings keep cairo's kerning.
    double width = textWidth(utf8);
    if (spacing != 0.0 && !utf8.empty()) width += spacing * double(utf8.size() - 1);
    double startX = x;
    if (align == Align::center) startX = x - width / 2;
    if (align == Align::right) startX = x - width;
    if (spacing == 0.0)
    {
        cairo_move_to(context, startX, y);
        cairo_show_text(context, utf8.c_str());
        cairo_new_path(context);
        return width;
    }
    double penX = startX;
    for (char letter : utf8)
    {
        const std::string glyph(1, letter);
        cairo_move_to(context, penX, y);
        cairo_show_text(context, glyph.c_str());
        penX += textWidth(glyph) + spacing;
    }
    cairo_new_path(context);
    return width;
}

void Canvas::writePng(const std::string& path) const
{
    // libpng rather than cairo's writer: cairo drops the alpha channel of opaque images, and
    // every bitmap of the editor is an RGBA file.
    cairo_surface_flush(surface);
    const int width = pixelWidth(), height = pixelHeight();
    std::vector<png_byte> rows(std::size_t(width) * std::size_t(height) * 4);
    for (int y = 0; y < height; ++y)
    {
        const auto* in = reinterpret_cast<const std::uint32_t*>(pixels() + y * stride());
        png_byte* out = &rows[std::size_t(y) * std::size_t(width) * 4];
        for (int x = 0; x < width; ++x, out += 4)
        {
            const std::uint32_t p = in[x];
            const unsigned a = p >> 24;
            // Cairo keeps colours premultiplied by alpha; PNG wants them straight.
            auto straight = [a](unsigned c) { return png_byte(a ? (c * 255 + a / 2) / a : 0); };
            out[0] = straight((p >> 16) & 0xFF);
            out[1] = straight((p >> 8) & 0xFF);
            out[2] = straight(p & 0xFF);
            out[3] = png_byte(a);
        }
    }

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         std::fclose);
    if (!file) throw std::runtime_error("cannot write " + path);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_stdio(&image, file.get(), 0, rows.data(), 0, nullptr))
        throw std::runtime_error("cannot write " + path + ": " + image.message);
    png_image_free(&image);
}

} // namespace Artwork
} // namespace Brask
