// SPDX-License-Identifier: GPL-3.0-or-later
// What an editor window shows, read back by a test, and how far it is from a reference: the
// pictures differ where a font rasterises differently, a layout that moved differs by far.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

/** 0xRRGGBB pixels, rows top to bottom. */
struct Picture
{
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;

    /** Black outside the picture, so that pictures may be compared shifted. */
    std::uint32_t at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }

    /** From 0xAARRGGBB pixels (an off-screen render): the alpha is dropped. */
    static Picture fromArgb(int width, int height, const std::vector<std::uint32_t>& argb)
    {
        Picture picture{width, height, argb};
        for (std::uint32_t& p : picture.pixels)
            p &= 0xFFFFFF;
        return picture;
    }
};

/** A rectangle of a picture. */
struct Area
{
    int x, y, width, height;
};

/** Share of the pixels in `area` of `shot` whose colour differs from `reference`, moved by
 *  (dx, dy), by more than `tolerance` in a channel. */
inline double mismatch(const Picture& shot, const Picture& reference, int tolerance,
                       const Area& area, int dx = 0, int dy = 0)
{
    int differing = 0;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x)
        {
            const std::uint32_t a = shot.at(x, y), b = reference.at(x - dx, y - dy);
            for (int shift = 0; shift <= 16; shift += 8)
                if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
                {
                    ++differing;
                    break;
                }
        }
    return double(differing) / (double(area.width) * area.height);
}

/** The same over the whole shot. */
inline double mismatch(const Picture& shot, const Picture& reference, int tolerance, int dx = 0,
                       int dy = 0)
{
    return mismatch(shot, reference, tolerance, {0, 0, shot.width, shot.height}, dx, dy);
}

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
