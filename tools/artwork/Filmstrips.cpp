// SPDX-License-Identifier: GPL-3.0-or-later
#include "Filmstrips.h"

#include <cmath>

namespace Brask {
namespace Artwork {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The knob turns like the description says: from 135 degrees (lower left, y pointing down)
// clockwise over 270 degrees to lower right.
double knobAngle(double value)
{
    return (135.0 + 270.0 * value) * kPi / 180.0;
}

// Aligns a one-pixel horizontal line to the device pixel grid so it stays sharp at every scale.
double crispY(const Canvas& canvas, double y)
{
    const int s = canvas.scale();
    return (std::floor(y * s) + (s % 2 != 0 ? 0.5 : 0.0)) / s;
}

void drawKnobScale(const Canvas& canvas, double cx, double cy, int ticks)
{
    cairo_t* cr = canvas.cr();
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < ticks; ++i)
    {
        const double t = ticks > 1 ? double(i) / (ticks - 1) : 0.0;
        const bool major = ticks <= 5 || i == 0 || i == ticks - 1 || 2 * i == ticks - 1;
        const double angle = knobAngle(t);
        const double inner = major ? 24.0 : 25.0;
        const double outer = major ? 30.0 : 28.5;
        cairo_move_to(cr, cx + inner * std::cos(angle), cy + inner * std::sin(angle));
        cairo_line_to(cr, cx + outer * std::cos(angle), cy + outer * std::sin(angle));
        cairo_set_line_width(cr, major ? 2.0 : 1.4);
        canvas.setColour({0.96, 0.97, 0.98, major ? 1.0 : 0.85});
        cairo_stroke(cr);
    }
}

void drawKnob(const Canvas& canvas, double top, double value, int ticks)
{
    cairo_t* cr = canvas.cr();
    const double cx = kKnobSize / 2.0;
    const double cy = top + kKnobSize / 2.0;

    drawKnobScale(canvas, cx, cy, ticks);

    // Soft shadow below the skirt, as if lit from above.
    cairo_arc(cr, cx, cy + 2.0, 23.5, 0, 2 * kPi);
    canvas.fillGradient(cairo_pattern_create_radial(cx, cy + 2.0, 16.0, cx, cy + 2.0, 23.5),
                        {{0.0, {0, 0, 0, 0.55}}, {1.0, {0, 0, 0, 0.0}}});

    // Skirt with a knurled edge that turns with the knob.
    cairo_arc(cr, cx, cy, 20.0, 0, 2 * kPi);
    canvas.fillGradient(cairo_pattern_create_linear(cx, cy - 20, cx, cy + 20),
                        {{0.0, {0.24, 0.24, 0.26}}, {1.0, {0.04, 0.04, 0.05}}});

    const double turn = knobAngle(value);
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    for (int i = 0; i < 40; ++i)
    {
        const double a = turn + i * 2 * kPi / 40;
        cairo_move_to(cr, cx + 17.2 * std::cos(a), cy + 17.2 * std::sin(a));
        cairo_line_to(cr, cx + 19.6 * std::cos(a), cy + 19.6 * std::sin(a));
    }
    canvas.setColour({0, 0, 0, 0.55});
    cairo_stroke(cr);
    cairo_arc(cr, cx, cy, 19.8, 0, 2 * kPi);
    canvas.setColour({1, 1, 1, 0.12});
    cairo_stroke(cr);

    // Cap: a dished top face lit from the upper left.
    cairo_arc(cr, cx, cy, 16.0, 0, 2 * kPi);
    canvas.fillGradient(
        cairo_pattern_create_linear(cx - 12, cy - 12, cx + 12, cy + 12),
        {{0.0, {0.27, 0.27, 0.29}}, {0.55, {0.10, 0.10, 0.11}}, {1.0, {0.05, 0.05, 0.06}}});

    cairo_arc(cr, cx, cy, 16.0, 0, 2 * kPi);
    canvas.fillGradient(cairo_pattern_create_radial(cx - 5, cy - 6, 0.5, cx - 5, cy - 6, 11),
                        {{0.0, {1, 1, 1, 0.22}}, {1.0, {1, 1, 1, 0.0}}});

    cairo_arc(cr, cx, cy, 16.0, 0, 2 * kPi);
    cairo_set_line_width(cr, 0.8);
    canvas.setColour({0, 0, 0, 0.8});
    cairo_stroke(cr);

    // Pointer: a red line from near the centre to the rim, with a dark edge for contrast.
    const double ux = std::cos(turn), uy = std::sin(turn);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, cx + 5.0 * ux, cy + 5.0 * uy);
    cairo_line_to(cr, cx + 19.0 * ux, cy + 19.0 * uy);
    cairo_set_line_width(cr, 4.2);
    canvas.setColour({0.05, 0.0, 0.0, 0.7});
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 2.8);
    canvas.setColour({0.95, 0.17, 0.13});
    cairo_stroke(cr);
}

void drawFader(const Canvas& canvas, double top, double value)
{
    cairo_t* cr = canvas.cr();
    const double cx = kFaderWidth / 2.0;
    // The cap's centre travels from 117 (minimum) to 11 (maximum) within the frame.
    const double lowest = 117.0, highest = 11.0;
    const double travel = lowest - highest;

    // Scale: eleven lines across the frame, interrupted by the slot; 0, 5 and 10 longer.
    cairo_set_line_width(cr, 1.0);
    for (int i = 0; i <= 10; ++i)
    {
        const double y = crispY(canvas, top + lowest - travel * i / 10.0);
        const bool major = i % 5 == 0;
        const double reach = major ? 1.0 : 4.0;
        cairo_move_to(cr, reach, y);
        cairo_line_to(cr, cx - 4.0, y);
        cairo_move_to(cr, cx + 4.0, y);
        cairo_line_to(cr, kFaderWidth - reach, y);
    }
    canvas.setColour({0.95, 0.96, 0.98, 0.9});
    cairo_stroke(cr);

    // Slot.
    canvas.roundedRect(cx - 2.5, top + 7.0, 5.0, 114.0, 2.5);
    canvas.setColour({0.02, 0.02, 0.03});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.0);
    canvas.setColour({1, 1, 1, 0.18});
    cairo_stroke(cr);

    // Cap with its shadow, a ridged grip and a white index line.
    const double capW = 24.0, capH = 15.0;
    const double capX = cx - capW / 2;
    const double capY = top + lowest - travel * value - capH / 2;
    canvas.roundedRect(capX - 0.5, capY + 1.5, capW + 1.0, capH + 1.0, 3.0);
    canvas.setColour({0, 0, 0, 0.45});
    cairo_fill(cr);

    canvas.roundedRect(capX, capY, capW, capH, 2.5);
    canvas.fillGradient(cairo_pattern_create_linear(0, capY, 0, capY + capH),
                        {{0.0, {0.36, 0.36, 0.38}},
                         {0.45, {0.13, 0.13, 0.14}},
                         {0.55, {0.08, 0.08, 0.09}},
                         {1.0, {0.17, 0.17, 0.18}}},
                        true);
    cairo_set_line_width(cr, 0.8);
    canvas.setColour({0, 0, 0, 0.9});
    cairo_stroke(cr);

    cairo_set_line_width(cr, 1.8);
    cairo_move_to(cr, capX + 2.0, capY + capH / 2);
    cairo_line_to(cr, capX + capW - 2.0, capY + capH / 2);
    canvas.setColour({0.97, 0.97, 0.97});
    cairo_stroke(cr);
}

} // namespace

void drawKnobStrip(Canvas& canvas, int frames, int scaleTicks)
{
    for (int i = 0; i < frames; ++i)
        drawKnob(canvas, double(i) * kKnobSize, frames > 1 ? double(i) / (frames - 1) : 0.0,
                 scaleTicks);
}

void drawFaderStrip(Canvas& canvas, int frames)
{
    for (int i = 0; i < frames; ++i)
        drawFader(canvas, double(i) * kFaderHeight, frames > 1 ? double(i) / (frames - 1) : 0.0);
}

} // namespace Artwork
} // namespace Brask
