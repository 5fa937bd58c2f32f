// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmaps that brask-artwork draws: their geometry at both scales, the frame order of the
// filmstrips (where the knob's pointer and the fader's cap are in a frame), and a panel that
// leaves every numeric field a dark window to show its green figures on.
#include <cairo.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

struct Image
{
    explicit Image(const std::string& file)
        : surface(cairo_image_surface_create_from_png(
                      (std::string(BRASK_ARTWORK_DIR "/") + file).c_str()),
                  cairo_surface_destroy)
    {}
    bool ok() const { return cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(surface.get()); }
    int height() const { return cairo_image_surface_get_height(surface.get()); }
    // Premultiplied ARGB, so colour channels of a transparent pixel read as 0.
    void rgba(int x, int y, int& r, int& g, int& b, int& a) const
    {
        const unsigned char* row = cairo_image_surface_get_data(surface.get()) +
                                   y * cairo_image_surface_get_stride(surface.get());
        const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
        a = int(p >> 24), r = int((p >> 16) & 0xFF), g = int((p >> 8) & 0xFF), b = int(p & 0xFF);
    }
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface;
};

std::string scaled(const std::string& name, int scale)
{
    return name + (scale == 2 ? "#2x" : "") + ".png";
}

TEST(ArtworkTest, BitmapsHaveTheirSizesAsEightBitRgbaPngs)
{
    struct Size
    {
        const char* name;
        int width, height;
    };
    const Size sizes[] = {{"Brask_knob", 64, 6464},       {"Brask_knob5", 64, 320},
                          {"Brask_slider_11", 30, 12928}, {"Brask_slider_5", 30, 640},
                          {"Brask_background", 778, 465}, {"Brask_about", 380, 330}};
    for (const Size& size : sizes)
        for (int scale : {1, 2})
        {
            const std::string file = scaled(size.name, scale);
            const Image image(file);
            ASSERT_TRUE(image.ok()) << file;
            EXPECT_EQ(image.width(), size.width * scale) << file;
            EXPECT_EQ(image.height(), size.height * scale) << file;

            // IHDR: bit depth 8, colour type 6 (RGBA), no interlacing.
            std::ifstream in(std::string(BRASK_ARTWORK_DIR "/") + file, std::ios::binary);
            unsigned char header[29] = {};
            in.read(reinterpret_cast<char*>(header), sizeof(header));
            EXPECT_EQ(header[24], 8) << file;
            EXPECT_EQ(header[25], 6) << file;
            EXPECT_EQ(header[28], 0) << file;
        }
}

// The angle (degrees, clockwise from the right, y down) at which a knob frame's red pointer
// stands, from the centroid of its red pixels.
double pointerAngle(const Image& image, int frame, int scale)
{
    const int size = 64 * scale;
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            int r, g, b, a;
            image.rgba(x, frame * size + y, r, g, b, a);
            if (r > 180 && g < 90 && b < 90) sx += x + 0.5, sy += y + 0.5, n += 1;
        }
    if (n == 0) return NAN;
    const double degrees = std::atan2(sy / n - size / 2.0, sx / n - size / 2.0) * 180.0 / M_PI;
    return degrees < 90.0 ? degrees + 360.0 : degrees; // 135 .. 405 over the knob's travel
}

TEST(ArtworkTest, KnobPointerTurnsFromLowerLeftOverTheTopToLowerRight)
{
    struct Frame
    {
        const char* name;
        int frame, frames;
    };
    const Frame frames[] = {{"Brask_knob", 0, 101},   {"Brask_knob", 1, 101},
                            {"Brask_knob", 50, 101},  {"Brask_knob", 99, 101},
                            {"Brask_knob", 100, 101}, {"Brask_knob5", 0, 5},
                            {"Brask_knob5", 1, 5},    {"Brask_knob5", 2, 5},
                            {"Brask_knob5", 3, 5},    {"Brask_knob5", 4, 5}};
    for (int scale : {1, 2})
        for (const Frame& f : frames)
        {
            const Image image(scaled(f.name, scale));
            ASSERT_TRUE(image.ok());
            const double expected = 135.0 + 270.0 * f.frame / (f.frames - 1);
            EXPECT_NEAR(pointerAngle(image, f.frame, scale), expected, 2.0)
                << f.name << " frame " << f.frame << " at " << scale << "x";
        }
}

// The row (in frame pixels at 100 %) of the fader cap's white index line, seen in the slot's
// middle column where only the cap is white.
double capRow(const Image& image, int frame, int scale)
{
    const int height = 128 * scale, column = 15 * scale;
    double sum = 0, n = 0;
    for (int y = 0; y < height; ++y)
    {
        int r, g, b, a;
        image.rgba(column, frame * height + y, r, g, b, a);
        if (r > 200 && g > 200 && b > 200) sum += y + 0.5, n += 1;
    }
    return n == 0 ? NAN : sum / n / scale;
}

TEST(ArtworkTest, FaderCapRisesFromTheBottomToTheTop)
{
    struct Frame
    {
        const char* name;
        int frame, frames;
    };
    const Frame frames[] = {{"Brask_slider_11", 0, 101},   {"Brask_slider_11", 50, 101},
                            {"Brask_slider_11", 100, 101}, {"Brask_slider_5", 0, 5},
                            {"Brask_slider_5", 2, 5},      {"Brask_slider_5", 4, 5}};
    for (int scale : {1, 2})
        for (const Frame& f : frames)
        {
            const Image image(scaled(f.name, scale));
            ASSERT_TRUE(image.ok());
            const double expected = 117.0 - 106.0 * f.frame / (f.frames - 1);
            EXPECT_NEAR(capRow(image, f.frame, scale), expected, 1.5)
                << f.name << " frame " << f.frame << " at " << scale << "x";
        }
}

TEST(ArtworkTest, PanelIsOpaqueAndDarkBehindEveryNumericField)
{
    pugi::xml_document description;
    ASSERT_TRUE(description.load_file(BRASK_DESCRIPTION_FILE));
    for (int scale : {1, 2})
    {
        const Image panel(scaled("Brask_background", scale));
        ASSERT_TRUE(panel.ok());
        for (int y = 0; y < panel.height(); y += 7)
            for (int x = 0; x < panel.width(); x += 7)
            {
                int r, g, b, a;
                panel.rgba(x, y, r, g, b, a);
                ASSERT_EQ(a, 255) << x << ", " << y;
            }

        int fields = 0;
        for (const pugi::xpath_node& found :
             description.select_nodes("//template[@name='Editor']/view/view[@class='CTextEdit' or "
                                      "@class='COptionMenu']"))
        {
            double gx = 0, gy = 0, x = 0, y = 0, w = 0, h = 0;
            std::sscanf(found.parent().attribute("origin").value(), "%lf, %lf", &gx, &gy);
            std::sscanf(found.node().attribute("origin").value(), "%lf, %lf", &x, &y);
            std::sscanf(found.node().attribute("size").value(), "%lf, %lf", &w, &h);
            // Where the figures go: the field's middle, inset from its edges.
            double sum = 0, n = 0;
            for (int py = int((gy + y + 4) * scale); py < int((gy + y + h - 4) * scale); ++py)
                for (int px = int((gx + x + 8) * scale); px < int((gx + x + w - 8) * scale); ++px)
                {
                    int r, g, b, a;
                    panel.rgba(px, py, r, g, b, a);
                    sum += 0.3 * r + 0.59 * g + 0.11 * b, n += 1;
                }
            EXPECT_LT(sum / n, 30.0)
                << found.node().attribute("control-tag").value() << " at " << scale << "x";
            ++fields;
        }
        EXPECT_EQ(fields, 24);
    }
}

} // namespace
