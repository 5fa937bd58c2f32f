// SPDX-License-Identifier: GPL-3.0-or-later
// A bitmap decoded by GDI+ (which reads PNG through the system's codecs) and kept as 32-bit
// premultiplied ARGB, the format GDI+ draws fastest.
#pragma once

#include "base/IPlatformBitmap.h"
#include "platform/gdiplus/GdiplusSession.h"

namespace VSTGUI {

class GdiplusBitmap : public IPlatformBitmap
{
public:
    GdiplusBitmap(std::shared_ptr<GdiplusSession> session, std::unique_ptr<Gdiplus::Bitmap> image)
        : session(std::move(session)), image(std::move(image))
    {}
    ~GdiplusBitmap() override { image.reset(); }

    CPoint getPixelSize() const override;
    Gdiplus::Bitmap* getImage() const { return image.get(); }

private:
    std::shared_ptr<GdiplusSession> session; // outlives the image
    std::unique_ptr<Gdiplus::Bitmap> image;
};

} // namespace VSTGUI
