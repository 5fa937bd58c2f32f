// SPDX-License-Identifier: GPL-3.0-or-later
#include "PanelArtwork.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

namespace Brask {
namespace Artwork {

namespace {

constexpr double kPi = 3.14159265358979323846;
const Colour kPanelTop{0.40, 0.46, 0.53};
const Colour kPanelBottom{0.33, 0.38, 0.45};
const Colour kWhite{0.97, 0.98, 1.0};
const Colour kReadout{0.035, 0.045, 0.05};

struct Point
{
    double x, y;
};

// A section: an outline (corners clockwise from the top left) and its title in the top edge.
struct Section
{
    const char* title;
    std::vector<Point> corners;
    std::vector<const char*> tags;
};

// The labels under the controls, by the control's tag.
struct Label
{
    const char* tag;
    const char* text;
};

const Label kLabels[] = {
    {"Root::Octave", "Octave"}, {"Root::Tuning", "Tune"},  {"Root::Vibrato", "Vibrato"},
    {"Root::Noise", "Noise"},   {"Root::OSCMix", "Mix"},   {"Root::OSCTune", "Tune"},
    {"Root::OSCFine", "Fine"},  {"Root::Glide", "Mode"},   {"Root::GldRate", "Rate"},
    {"Root::GldBend", "Bend"},  {"Root::LFORate", "Rate"}, {"Root::VCFFreq", "Freq"},
    {"Root::VCFReso", "Res"},   {"Root::VCFEnv", "Env"},   {"Root::VCFAtt", "A"},
    {"Root::VCFDec", "D"},      {"Root::VCFSus", "S"},     {"Root::VCFRel", "R"},
    {"Root::VCFLFO", "LFO"},    {"Root::VCFVel", "Vel"},   {"Root::ENVAtt", "A"},
    {"Root::ENVDec", "D"},      {"Root::ENVSus", "S"},     {"Root::ENVRel", "R"},
};

std::vector<Point> box(double x0, double y0, double x1, double y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

std::vector<Section> panelSections()
{
    return {
        {"OSC 1 + 2",
         box(8, 9, 302, 131),
         {"Root::Octave", "Root::Tuning", "Root::Vibrato", "Root::Noise"}},
        {"OSC 2", box(8, 150, 302, 281), {"Root::OSCMix", "Root::OSCTune", "Root::OSCFine"}},
        {"GLIDE", box(8, 297, 302, 455), {"Root::Glide", "Root::GldRate", "Root::GldBend"}},
        {"LFO", box(310, 150, 404, 455), {"Root::LFORate"}},
        // The filter's upper row spans the width; its modulation row shares the lower left.
        {"VCF",
         {{412, 59}, {768, 59}, {768, 238}, {549, 238}, {549, 455}, {412, 455}},
         {"Root::VCFFreq", "Root::VCFReso", "Root::VCFEnv", "Root::VCFAtt", "Root::VCFDec",
          "Root::VCFSus", "Root::VCFRel", "Root::VCFLFO", "Root::VCFVel"}},
        {"VCA",
         box(557, 248, 768, 455),
         {"Root::ENVAtt", "Root::ENVDec", "Root::ENVSus", "Root::ENVRel"}},
    };
}

bool inside(const std::vector<Point>& corners, const Rect& r)
{
    // Point-in-polygon for the four corners of r (the outlines are rectilinear).
    auto contains = [&corners](double px, double py) {
        bool in = false;
        for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++)
        {
            const Point& a = corners[i];
            const Point& b = corners[j];
            if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x)
                in = !in;
        }
        return in;
    };
    return contains(r.x, r.y) && contains(r.right(), r.y) && contains(r.x, r.bottom()) &&
           contains(r.right(), r.bottom());
}

const PlacedControl& labelledControl(const PanelLayout& layout, const std::string& tag)
{
    for (const PlacedControl& c : layout.controls)
        if (c.tagName == tag && (c.className == "CAnimKnob" || c.className == "COptionMenu"))
            return c;
    throw std::runtime_error("the description has no control bound to " + tag);
}

// Fine grain and horizontal brushing, in device pixels so both scales look like metal.
void brushTexture(const Canvas& canvas)
{
    cairo_surface_flush(cairo_get_target(canvas.cr()));
    std::uint32_t seed = 0x9E3779B9u;
    auto random = [&seed]() {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return double(seed) / 4294967296.0 - 0.5;
    };
    unsigned char* pixels = canvas.pixels();
    for (int y = 0; y < canvas.pixelHeight(); ++y)
    {
        auto* row = reinterpret_cast<std::uint32_t*>(pixels + y * canvas.stride());
        double streak = 0.0;
        const double rowTone = random() * 3.0;
        for (int x = 0; x < canvas.pixelWidth(); ++x)
        {
            streak = 0.96 * streak + 0.04 * random() * 14.0;
            const double delta = rowTone + streak + random() * 7.0;
            std::uint32_t p = row[x];
            std::uint32_t out = p & 0xFF000000u;
            for (int shift = 0; shift <= 16; shift += 8)
            {
                const double v = double((p >> shift) & 0xFF) + delta;
                out |= std::uint32_t(std::clamp(v, 0.0, 255.0) + 0.5) << shift;
            }
            row[x] = out;
        }
    }
    canvas.markDirty();
}

// Rounded outline through the corners; starts and ends at the title gap in the top edge.
void outlinePath(const Canvas& canvas, const std::vector<Point>& corners, double gapStart,
                 double gapEnd, double radius)
{
    cairo_t* cr = canvas.cr();
    const std::size_t n = corners.size();
    cairo_new_path(cr);
    cairo_move_to(cr, gapEnd, corners[0].y);
    for (std::size_t k = 1; k <= n; ++k)
    {
        const Point& prev = corners[k - 1];
        const Point& at = corners[k % n];
        const Point& next = corners[(k + 1) % n];
        auto unit = [](Point a, Point b) {
            const double len = std::hypot(b.x - a.x, b.y - a.y);
            return Point{(b.x - a.x) / len, (b.y - a.y) / len};
        };
        const Point in = unit(prev, at), out = unit(at, next);
        cairo_line_to(cr, at.x - in.x * radius, at.y - in.y * radius);
        // A cubic with control points 0.55 r from the ends is within 0.03 % of a circle.
        const double k55 = 0.4477;
        cairo_curve_to(cr, at.x - in.x * radius * k55, at.y - in.y * radius * k55,
                       at.x + out.x * radius * k55, at.y + out.y * radius * k55,
                       at.x + out.x * radius, at.y + out.y * radius);
    }
    cairo_line_to(cr, gapStart, corners[0].y);
}

void drawSection(const Canvas& canvas, const Section& section)
{
    cairo_t* cr = canvas.cr();
    const double radius = 9.0;
    const Point topLeft = section.corners[0];

    // A slightly darker field inside the outline.
    outlinePath(canvas, section.corners, topLeft.x + radius, topLeft.x + radius, radius);
    cairo_close_path(cr);
    canvas.setColour({0.0, 0.02, 0.06, 0.13});
    cairo_fill(cr);

    canvas.font(11.5, true);
    const double titleX = topLeft.x + 16.0;
    const double spacing = 1.6;
    const double titleWidth =
        canvas.textWidth(section.title) + spacing * double(std::string(section.title).size() - 1);
    outlinePath(canvas, section.corners, titleX - 6.0, titleX + titleWidth + 6.0, radius);
    cairo_set_line_width(cr, 1.6);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    canvas.setColour({kWhite.r, kWhite.g, kWhite.b, 0.92});
    cairo_stroke(cr);

    canvas.setColour(kWhite);
    canvas.spacedText(section.title, titleX, topLeft.y + 4.2, Align::left, spacing);
}

// A recessed dark window behind a text field or the menu, so green figures read on the panel.
void drawReadout(const Canvas& canvas, const Rect& field, double maxWidth)
{
    cairo_t* cr = canvas.cr();
    const double w = std::min(field.w, maxWidth);
    const Rect r{field.centerX() - w / 2, field.y, w, field.h};
    canvas.roundedRect(r.x + 1.0, r.y + 1.5, r.w - 2.0, r.h - 2.0, 3.5);
    canvas.setColour({1, 1, 1, 0.22});
    cairo_fill(cr);
    canvas.roundedRect(r.x + 1.0, r.y + 1.0, r.w - 2.0, r.h - 2.0, 3.5);
    canvas.fillGradient(cairo_pattern_create_linear(0, r.y, 0, r.bottom()),
                        {{0.0, {0.0, 0.0, 0.0}}, {0.3, kReadout}, {1.0, {0.06, 0.08, 0.08}}});
}

void drawMenuArrow(const Canvas& canvas, const Rect& menu)
{
    cairo_t* cr = canvas.cr();
    const double x = menu.right() + 7.0, y = menu.centerY();
    cairo_move_to(cr, x - 3.5, y - 1.5);
    cairo_line_to(cr, x + 3.5, y - 1.5);
    cairo_line_to(cr, x, y + 2.5);
    cairo_close_path(cr);
    canvas.setColour(kWhite);
    cairo_fill(cr);
}

// The glide emblem: a pitch step bent into a curve.
void drawGlideEmblem(const Canvas& canvas, double cx, double cy)
{
    cairo_t* cr = canvas.cr();
    cairo_arc(cr, cx, cy, 21.0, 0, 2 * kPi);
    canvas.setColour({0.0, 0.02, 0.06, 0.18});
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.4);
    canvas.setColour({kWhite.r, kWhite.g, kWhite.b, 0.85});
    cairo_stroke(cr);
    cairo_set_line_width(cr, 2.2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, cx - 13, cy + 7);
    cairo_line_to(cr, cx - 6, cy + 7);
    cairo_curve_to(cr, cx + 1, cy + 7, cx - 1, cy - 7, cx + 6, cy - 7);
    cairo_line_to(cr, cx + 13, cy - 7);
    canvas.setColour({0.95, 0.17, 0.13});
    cairo_stroke(cr);
    cairo_arc(cr, cx - 13, cy + 7, 2.2, 0, 2 * kPi);
    cairo_arc(cr, cx + 13, cy - 7, 2.2, 0, 2 * kPi);
    canvas.setColour(kWhite);
    cairo_fill(cr);
}

// The LFO's waveforms, engraved below its rate knob.
void drawWaveEmblem(const Canvas& canvas, double x0, double x1, double cy)
{
    cairo_t* cr = canvas.cr();
    cairo_set_line_width(cr, 1.8);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const int steps = 64;
    for (int i = 0; i <= steps; ++i)
    {
        const double t = double(i) / steps;
        const double y = cy - 10.0 * std::sin(2 * kPi * t);
        if (i == 0)
            cairo_move_to(cr, x0 + (x1 - x0) * t, y);
        else
            cairo_line_to(cr, x0 + (x1 - x0) * t, y);
    }
    canvas.setColour({kWhite.r, kWhite.g, kWhite.b, 0.85});
    cairo_stroke(cr);
    cairo_set_line_width(cr, 0.8);
    cairo_move_to(cr, x0 - 3, cy);
    cairo_line_to(cr, x1 + 3, cy);
    canvas.setColour({kWhite.r, kWhite.g, kWhite.b, 0.35});
    cairo_stroke(cr);
}

// Cooling slots, as a hardware case would have them in a quiet corner of the panel.
void drawVents(const Canvas& canvas, double cx, double top, double width, int count)
{
    cairo_t* cr = canvas.cr();
    for (int i = 0; i < count; ++i)
    {
        const double y = top + i * 10.0;
        canvas.roundedRect(cx - width / 2, y + 1.0, width, 4.0, 2.0);
        canvas.setColour({1, 1, 1, 0.2});
        cairo_fill(cr);
        canvas.roundedRect(cx - width / 2, y, width, 4.0, 2.0);
        canvas.setColour({0.02, 0.03, 0.04, 0.7});
        cairo_fill(cr);
    }
}

// The maker's mark: a red rhombus cut by a white chevron, beside the name in spaced capitals.
double drawMakerMark(const Canvas& canvas, double x, double baseline, double size, Align align)
{
    cairo_t* cr = canvas.cr();
    canvas.font(size, true);
    const double spacing = size * 0.28;
    const double nameWidth = canvas.textWidth("TARVIK") + spacing * 5;
    const double mark = size * 1.25;
    const double gap = size * 0.5;
    const double total = mark + gap + nameWidth;
    double left = x;
    if (align == Align::center) left = x - total / 2;
    if (align == Align::right) left = x - total;

    const double mx = left + mark / 2, my = baseline - size * 0.36;
    cairo_move_to(cr, mx, my - mark / 2);
    cairo_line_to(cr, mx + mark / 2, my);
    cairo_line_to(cr, mx, my + mark / 2);
    cairo_line_to(cr, mx - mark / 2, my);
    cairo_close_path(cr);
    canvas.setColour({0.90, 0.16, 0.13});
    cairo_fill(cr);
    cairo_move_to(cr, mx - mark * 0.22, my - mark * 0.16);
    cairo_line_to(cr, mx, my + mark * 0.1);
    cairo_line_to(cr, mx + mark * 0.22, my - mark * 0.16);
    cairo_set_line_width(cr, size * 0.14);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    canvas.setColour(kWhite);
    cairo_stroke(cr);

    canvas.setColour(kWhite);
    canvas.spacedText("TARVIK", left + mark + gap, baseline, Align::left, spacing);
    return total;
}

void drawTitleBox(const Canvas& canvas, const Rect& r)
{
    cairo_t* cr = canvas.cr();
    canvas.roundedRect(r.x, r.y + 1.5, r.w, r.h, 8.0);
    canvas.setColour({0, 0, 0, 0.35});
    cairo_fill(cr);
    canvas.roundedRect(r.x, r.y, r.w, r.h, 8.0);
    canvas.fillGradient(cairo_pattern_create_linear(0, r.y, 0, r.bottom()),
                        {{0.0, {0.16, 0.18, 0.21}}, {1.0, {0.07, 0.08, 0.10}}}, true);
    cairo_set_line_width(cr, 1.6);
    canvas.setColour({kWhite.r, kWhite.g, kWhite.b, 0.92});
    cairo_stroke(cr);

    canvas.font(28.0, true);
    canvas.setColour(kWhite);
    const double nameWidth = canvas.text("Brask", r.x + 14.0, r.y + 31.0, Align::left);
    cairo_rectangle(cr, r.x + 15.0, r.y + 35.0, nameWidth - 2.0, 2.0);
    canvas.setColour({0.95, 0.17, 0.13});
    cairo_fill(cr);

    drawMakerMark(canvas, r.right() - 14.0, r.y + 17.0, 10.5, Align::right);
    canvas.font(10.5, false);
    canvas.setColour({0.86, 0.89, 0.93});
    canvas.text("8-Voice Polyphonic Synthesizer", r.right() - 14.0, r.y + 33.0, Align::right);
}

} // namespace

void drawPanel(Canvas& canvas, const PanelLayout& layout)
{
    cairo_t* cr = canvas.cr();
    cairo_rectangle(cr, 0, 0, layout.width, layout.height);
    canvas.fillGradient(cairo_pattern_create_linear(0, 0, 0, layout.height),
                        {{0.0, kPanelTop}, {1.0, kPanelBottom}});
    brushTexture(canvas);

    // A bevelled edge, as the panel's metal sheet would show it.
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, 0.5, 0.5, layout.width - 1.0, layout.height - 1.0);
    canvas.setColour({1, 1, 1, 0.25});
    cairo_stroke(cr);
    cairo_move_to(cr, 0.5, layout.height - 0.5);
    cairo_line_to(cr, layout.width - 0.5, layout.height - 0.5);
    cairo_line_to(cr, layout.width - 0.5, 0.5);
    canvas.setColour({0, 0, 0, 0.45});
    cairo_stroke(cr);

    for (const Section& section : panelSections())
    {
        for (const char* tag : section.tags)
        {
            for (const PlacedControl& c : layout.controls)
                if (c.tagName == tag && !inside(section.corners, c.frame) &&
                    c.className != "CViewContainer")
                    throw std::runtime_error(std::string("the ") + c.className + " of " + tag +
                                             " leaves the section " + section.title);
        }
        drawSection(canvas, section);
    }

    // The divider between the filter's own controls and its envelope.
    const Rect env = labelledControl(layout, "Root::VCFEnv").frame;
    const Rect attack = labelledControl(layout, "Root::VCFAtt").frame;
    const double dividerX = std::round((env.right() + attack.x) / 2) + 0.5;
    cairo_move_to(cr, dividerX, env.y - 10.0);
    cairo_line_to(cr, dividerX, env.bottom() + 12.0);
    cairo_set_line_width(cr, 1.0);
    canvas.setColour({kWhite.r, kWhite.g, kWhite.b, 0.45});
    cairo_stroke(cr);

    for (const PlacedControl& c : layout.controls)
    {
        if (c.className == "COptionMenu") drawReadout(canvas, c.frame, c.frame.w);
        if (c.className != "CTextEdit") continue;
        // Fader fields stand closer than their width; narrower windows keep a gap between them.
        bool crowded = false;
        for (const PlacedControl& other : layout.controls)
            crowded = crowded || (&other != &c && other.className == "CTextEdit" &&
                                  other.frame.y == c.frame.y &&
                                  std::abs(other.frame.x - c.frame.x) < c.frame.w);
        drawReadout(canvas, c.frame, crowded ? 44.0 : c.frame.w);
    }
    drawMenuArrow(canvas, labelledControl(layout, "Root::Glide").frame);

    // Labels sit above their control, centred on it, clear of the read-out below it.
    for (const Label& label : kLabels)
    {
        const PlacedControl& c = labelledControl(layout, label.tag);
        const bool fader = c.frame.h > c.frame.w;
        const double gap = c.className == "COptionMenu" ? 6.0 : fader ? 3.5 : 4.5;
        canvas.font(11.5, true);
        canvas.setColour(kWhite);
        canvas.text(label.text, c.frame.centerX(), c.frame.y - gap, Align::center);
    }

    const Rect menu = labelledControl(layout, "Root::Glide").frame;
    const Rect rate = labelledControl(layout, "Root::GldRate").frame;
    drawGlideEmblem(canvas, menu.centerX(), rate.y + 10.0);
    const Rect lfo = labelledControl(layout, "Root::LFORate").frame;
    drawWaveEmblem(canvas, lfo.x + 8.0, lfo.right() - 8.0, lfo.bottom() + 52.0);
    drawVents(canvas, lfo.centerX(), lfo.bottom() + 104.0, 60.0, 6);

    drawTitleBox(canvas, {451, 9, 317, 42});
}

void drawAboutPanel(Canvas& canvas, double width, double height, const std::string& version)
{
    cairo_t* cr = canvas.cr();
    canvas.roundedRect(1, 1, width - 2, height - 2, 12.0);
    canvas.fillGradient(cairo_pattern_create_linear(0, 0, 0, height),
                        {{0.0, {0.17, 0.19, 0.23}}, {1.0, {0.06, 0.07, 0.09}}}, true);
    cairo_set_line_width(cr, 2.0);
    canvas.setColour({kWhite.r, kWhite.g, kWhite.b, 0.92});
    cairo_stroke(cr);

    const double cx = width / 2;
    drawMakerMark(canvas, cx, 40.0, 13.0, Align::center);

    canvas.font(52.0, true);
    canvas.setColour(kWhite);
    const double nameWidth = canvas.text("Brask", cx, 106.0, Align::center);
    cairo_rectangle(cr, cx - nameWidth / 2 + 2, 114.0, nameWidth - 4, 3.0);
    canvas.setColour({0.95, 0.17, 0.13});
    cairo_fill(cr);

    canvas.font(14.0, false);
    canvas.setColour({0.88, 0.91, 0.95});
    canvas.text("8-Voice Polyphonic Synthesizer", cx, 140.0, Align::center);
    canvas.font(12.0, true);
    canvas.text("Version " + version, cx, 162.0, Align::center);

    cairo_move_to(cr, 40, 180.5);
    cairo_line_to(cr, width - 40, 180.5);
    cairo_set_line_width(cr, 1.0);
    canvas.setColour({1, 1, 1, 0.3});
    cairo_stroke(cr);

    canvas.setColour({0.86, 0.89, 0.93});
    canvas.font(11.5, false);
    const char* lines[] = {
        "Sound engine, editor and artwork by Tarvik",
        "Drawn with cairo; layout read with pugixml",
        "",
        "Free software under GPL-3.0-or-later:",
        "you may share and change it under the terms",
        "of the GNU General Public License, version 3 or later.",
    };
    double y = 202.0;
    for (const char* line : lines)
    {
        canvas.text(line, cx, y, Align::center);
        y += 17.0;
    }

    canvas.font(10.5, false);
    canvas.setColour({0.55, 0.62, 0.60});
    canvas.text("Click to close", cx, height - 16.0, Align::center);
}

} // namespace Artwork
} // namespace Brask
