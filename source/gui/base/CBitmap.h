// SPDX-License-Identifier: GPL-3.0-or-later
// CBitmap: a named image of the description, at its normal resolution and, when the resources
// provide one, at twice that resolution for HiDPI screens.
//
// Threads: UI thread only.
#pragma once

#include "base/IPlatformBitmap.h"

#include <functional>
#include <memory>

namespace VSTGUI {

class CBitmap
{
public:
    /** Decodes the double-resolution variant, or gives null where there is none. */
    using Loader = std::function<std::shared_ptr<IPlatformBitmap>()>;

    explicit CBitmap(std::shared_ptr<IPlatformBitmap> normal,
                     std::shared_ptr<IPlatformBitmap> doubleResolution = nullptr)
        : normal(std::move(normal)), doubleResolution(std::move(doubleResolution))
    {}
    /** Decoding a large bitmap takes long, so the variant only a HiDPI screen needs is decoded
     *  the first time one asks for it (on the UI thread, as all drawing). */
    CBitmap(std::shared_ptr<IPlatformBitmap> normal, Loader loadDoubleResolution)
        : normal(std::move(normal)), loadDoubleResolution(std::move(loadDoubleResolution))
    {}

    /** Size in editor pixels. */
    CPoint getSize() const { return normal ? normal->getPixelSize() : CPoint(); }
    CCoord getWidth() const { return getSize().x; }
    CCoord getHeight() const { return getSize().y; }

    /** The variant to draw at `scale` and its own resolution factor (1 or 2). */
    const IPlatformBitmap* getPlatformBitmap(double scale, double& bitmapScale) const
    {
        if (scale > 1.0 && hasDoubleResolution())
        {
            bitmapScale = 2.0;
            return doubleResolution.get();
        }
        bitmapScale = 1.0;
        return normal.get();
    }
    bool hasDoubleResolution() const
    {
        if (loadDoubleResolution)
        {
            Loader load = std::move(loadDoubleResolution);
            loadDoubleResolution = nullptr;
            doubleResolution = load();
            // A high-resolution variant counts only if it really is twice the size.
            if (doubleResolution && normal &&
                doubleResolution->getPixelSize() !=
                    CPoint(normal->getPixelSize().x * 2, normal->getPixelSize().y * 2))
                doubleResolution = nullptr;
        }
        return doubleResolution != nullptr;
    }

private:
    std::shared_ptr<IPlatformBitmap> normal;
    mutable std::shared_ptr<IPlatformBitmap> doubleResolution;
    mutable Loader loadDoubleResolution;
};

} // namespace VSTGUI
