// SPDX-License-Identifier: GPL-3.0-or-later
// A decoded bitmap as the graphics backend keeps it. Views see only its size; the draw context
// of the same backend knows how to blit it.
#pragma once

#include "base/VSTGUIBase.h"

#include <cstddef>
#include <memory>

namespace VSTGUI {

class IPlatformBitmap
{
public:
    virtual ~IPlatformBitmap() = default;
    /** Size in pixels of the image data. */
    virtual CPoint getPixelSize() const = 0;
};

/** Decodes a PNG held in memory; null for data that is not a complete, valid PNG. Defined by
 *  the graphics backend. */
std::shared_ptr<IPlatformBitmap> createPlatformBitmapFromPNG(const unsigned char* data,
                                                             std::size_t size);

} // namespace VSTGUI
