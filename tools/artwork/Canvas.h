// SPDX-License-Identifier: GPL-3.0-or-later
// A cairo image in logical pixels: everything is drawn in the 100 % coordinates of the editor and
// scaled by the canvas, so the "#2x" bitmaps are the same drawing at twice the resolution.
#pragma once

#include <cairo.h>

#include <initializer_list>
#include <string>

namespace Brask {
namespace Artwork {

struct Colour
{
    double r, g, b, a = 1.0;
};

struct GradientStop
{
    double offset;
    Colour colour;
};

enum class Align
{
    left,
    center,
    right
};

class Canvas
{
public:
    /** An empty (transparent) RGBA image of width x height logical pixels at the given scale. */
    Canvas(int width, int height, int scale);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return context; }
    int scale() const { return pixelScale; }
    int pixelWidth() const { return cairo_image_surface_get_width(surface); }
    int pixelHeight() const { return cairo_image_surface_get_height(surface); }
    unsigned char* pixels() const { return cairo_image_surface_get_data(surface); }
    int stride() const { return cairo_image_surface_get_stride(surface); }
    void markDirty() const { cairo_surface_mark_dirty(surface); }

    void setColour(const Colour& colour) const;
    void roundedRect(double x, double y, double w, double h, double radius) const;
    /** Fills the current path with `gradient` (a new cairo gradient, which this takes and frees)
        through the given stops; keepPath leaves the path for a stroke to follow. */
    void fillGradient(cairo_pattern_t* gradient, std::initializer_list<GradientStop> stops,
                      bool keepPath = false) const;
    /** Sets the font: DejaVu Sans, bold or book, size in logical pixels. */
    void font(double size, bool bold) const;
    /** Draws text with its baseline at y, aligned on x; returns the text's advance width. */
    double text(const std::string& utf8, double x, double y, Align align) const;
    /** Like text, with extra space between the letters (engraved capitals). */
    double spacedText(const std::string& utf8, double x, double y, Align align,
                      double spacing) const;
    double textWidth(const std::string& utf8) const;

    /** Writes an 8-bit RGBA PNG; throws std::runtime_error naming the file on failure. */
    void writePng(const std::string& path) const;

private:
    cairo_surface_t* surface;
    cairo_t* context;
    int pixelScale;
};

} // namespace Artwork
} // namespace Brask
