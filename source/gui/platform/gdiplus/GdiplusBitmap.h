// SPDX-License-Identifier: GPL-3.0-or-later
// A bitmap decoded by GDI+ (which reads PNG through the system's codecs) and kept as 32-bit
// premultiplied ARGB, the format GDI+ draws fastest.
#pragma once

#include "base/IPlatformBitmap.h"
#include "platform/gdiplus/GdiplusSession.h"

#include <memory>
#include <vector>

namespace VSTGUI {

class GdiplusBitmap : public IPlatformBitmap
{
public:
    GdiplusBitmap(std::shared_ptr<GdiplusSession> session, std::unique_ptr<Gdiplus::Bitmap> image)
        : session(std::move(session)), image(std::move(image))
    {}
    ~GdiplusBitmap() override
    {
        shrunk.clear();
        image.reset();
    }

    CPoint getPixelSize() const override;
    Gdiplus::Bitmap* getImage() const { return image.get(); }
    /** A part of the image shrunk for a copy pixel for pixel onto the device: `region` (in the
     *  image's pixels) by `factor` (below 1), its left top edge `phase` (0 <= phase < 1) into
     *  the first device pixel. Each device pixel is the mean of the image's pixels it covers,
     *  weighted by the area covered: GDI+'s own filters sample without averaging on some
     *  systems (Wine's), which turns fine artwork into stairs, and a copy to whole pixels
     *  alone would move the artwork by up to half a pixel. Recent parts are kept; null on
     *  failure or for an empty region. */
    Gdiplus::Bitmap* getShrunk(double factor, CPoint phase, const CRect& region) const;

private:
    struct Shrunk
    {
        double factor;
        CPoint phase;
        CRect region;
        std::unique_ptr<Gdiplus::Bitmap> image;
    };

    std::shared_ptr<GdiplusSession> session; // outlives the images
    std::unique_ptr<Gdiplus::Bitmap> image;
    mutable std::vector<Shrunk> shrunk; // the most recently used last
};

} // namespace VSTGUI
