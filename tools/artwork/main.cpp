// SPDX-License-Identifier: GPL-3.0-or-later
// brask-artwork: draws the editor's six bitmaps and their "#2x" versions from the editor
// description, so the build never depends on hand-edited pixels.
//
//   brask-artwork <Tarvik_Brask.uidesc> <output folder>

#include "BraskVersion.h"
#include "Canvas.h"
#include "Filmstrips.h"
#include "PanelArtwork.h"
#include "PanelLayout.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <string>

namespace {

using namespace Brask::Artwork;

struct Bitmap
{
    const char* file;
    int width, height;
    std::function<void(Canvas&)> draw;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s <editor description> <output folder>\n", argv[0]);
        return 2;
    }
    try
    {
        const PanelLayout layout = readPanelLayout(argv[1]);
        const std::string version = Steinberg::Vst::Tarvik::kProductVersion;
        const Bitmap bitmaps[] = {
            {"Brask_knob", kKnobSize, kKnobSize * 101,
             [](Canvas& c) { drawKnobStrip(c, 101, 11); }},
            {"Brask_knob5", kKnobSize, kKnobSize * 5, [](Canvas& c) { drawKnobStrip(c, 5, 5); }},
            {"Brask_slider_11", kFaderWidth, kFaderHeight * 101,
             [](Canvas& c) { drawFaderStrip(c, 101); }},
            {"Brask_slider_5", kFaderWidth, kFaderHeight * 5,
             [](Canvas& c) { drawFaderStrip(c, 5); }},
            {"Brask_background", int(layout.width), int(layout.height),
             [&layout](Canvas& c) { drawPanel(c, layout); }},
            {"Brask_about", 380, 330,
             [&version](Canvas& c) { drawAboutPanel(c, 380, 330, version); }},
        };
        const std::string folder = argv[2];
        for (const Bitmap& bitmap : bitmaps)
        {
            for (int scale : {1, 2})
            {
                const std::string path =
                    folder + "/" + bitmap.file + (scale == 2 ? "#2x" : "") + ".png";
                Canvas canvas(bitmap.width, bitmap.height, scale);
                bitmap.draw(canvas);
                canvas.writePng(path);
                std::printf("brask-artwork: %s (%d x %d)\n", path.c_str(), canvas.pixelWidth(),
                            canvas.pixelHeight());
            }
        }
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "brask-artwork: %s\n", e.what());
        return 1;
    }
    return 0;
}
