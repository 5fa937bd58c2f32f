// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing an editor without a window: into an image in memory or a PNG file, at any scale.
// The graphics backend draws them (cairo, or GDI+ on Windows).
// Tests read the pixels back; the same render makes screenshots for the documentation.
#pragma once

#include "base/IPlatformFrame.h"
#include "base/VSTGUIBase.h"

#include <cstdint>
#include <vector>

namespace VSTGUI {

class CFrame;

/** An image in memory, pixels as 0xAARRGGBB (not premultiplied), rows top to bottom. */
struct OffscreenImage
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t getPixel(int x, int y) const
    {
        return (x < 0 || y < 0 || x >= width || y >= height)
                   ? 0
                   : pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                            static_cast<std::size_t>(x)];
    }
};

/** Renders the whole frame (views and overlays) at `scale` device pixels per editor pixel. */
OffscreenImage renderToImage(CFrame& frame, double scale = 1.0);
/** Renders the whole frame into a PNG file; false when the file cannot be written. */
bool renderToPNG(CFrame& frame, double scale, UTF8StringPtr path);

/** A platform frame without a window: it records what the editor asks of a window, and its
 *  clock and timer advance only when told to. For tests and batch renders. */
class OffscreenPlatformFrame : public IPlatformFrame
{
public:
    explicit OffscreenPlatformFrame(IPlatformFrameCallback* callback) : callback(callback) {}

    void invalidRect(const CRect& rect) override { invalid.unite(rect); }
    void startTimer(std::uint32_t milliseconds) override
    {
        timerInterval = milliseconds;
        ++timerStarts;
    }
    void stopTimer() override { timerInterval = 0; }
    bool isTimerRunning() const override { return timerInterval != 0; }
    void setKeyboardFocus(bool take) override { keyboardFocus = take; }
    std::uint64_t getTicks() const override { return ticks; }

    /** Moves the clock on, firing the timer for every interval that passes. */
    void advance(std::uint64_t milliseconds);

    CRect invalid;
    bool keyboardFocus = false;
    int timerStarts = 0;

private:
    IPlatformFrameCallback* callback;
    std::uint64_t ticks = 1000;
    std::uint64_t sinceTick = 0;
    std::uint32_t timerInterval = 0;
};

} // namespace VSTGUI
