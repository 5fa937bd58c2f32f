// SPDX-License-Identifier: GPL-3.0-or-later
// CBitmap: a named image of the description, at its normal resolution and, when the resources
// provide one, at twice that resolution for HiDPI screens.
#pragma once

#include "platform/IPlatformBitmap.h"

#include <memory>

namespace VSTGUI {

class CBitmap
{
public:
    explicit CBitmap(std::shared_ptr<IPlatformBitmap> normal,
                     std::shared_ptr<IPlatformBitmap> doubleResolution = nullptr)
        : normal(std::move(normal)), doubleResolution(std::move(doubleResolution))
    {}

    /** Size in editor pixels. */
    CPoint getSize() const { return normal ? normal->getPixelSize() : CPoint(); }
    CCoord getWidth() const { return getSize().x; }
    CCoord getHeight() const { return getSize().y; }

    /** The variant to draw at `scale` and its own resolution factor (1 or 2). */
    const IPlatformBitmap* getPlatformBitmap(double scale, double& bitmapScale) const
    {
        if (scale > 1.0 && doubleResolution)
        {
            bitmapScale = 2.0;
            return doubleResolution.get();
        }
        bitmapScale = 1.0;
        return normal.get();
    }
    bool hasDoubleResolution() const { return doubleResolution != nullptr; }

private:
    std::shared_ptr<IPlatformBitmap> normal;
    std::shared_ptr<IPlatformBitmap> doubleResolution;
};

} // namespace VSTGUI
