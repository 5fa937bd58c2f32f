// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gdiplus/GdiplusBitmap.h"

#include <shlwapi.h>

#include <cstring>

namespace VSTGUI {

namespace {

// Larger images are refused rather than decoded: nothing the editor draws comes near this.
constexpr UINT kMaxDimension = 32768;

} // namespace

CPoint GdiplusBitmap::getPixelSize() const
{
    return {CCoord(image->GetWidth()), CCoord(image->GetHeight())};
}

std::shared_ptr<IPlatformBitmap> createPlatformBitmapFromPNG(const unsigned char* data,
                                                             std::size_t size)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (!data || size < sizeof(kSignature) || size > 0x7FFFFFFF ||
        std::memcmp(data, kSignature, sizeof(kSignature)) != 0)
        return nullptr;
    std::shared_ptr<GdiplusSession> session = GdiplusSession::acquire();
    if (!session) return nullptr;
    IStream* stream = SHCreateMemStream(data, UINT(size));
    if (!stream) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream));
    std::unique_ptr<Gdiplus::Bitmap> copy;
    if (decoded && decoded->GetLastStatus() == Gdiplus::Ok && decoded->GetWidth() > 0 &&
        decoded->GetHeight() > 0 && decoded->GetWidth() <= kMaxDimension &&
        decoded->GetHeight() <= kMaxDimension)
    {
        // A decoded GDI+ bitmap reads its stream for as long as it lives; the copy does not,
        // and converting once here spares every later draw.
        const UINT width = decoded->GetWidth(), height = decoded->GetHeight();
        Gdiplus::Rect all(0, 0, INT(width), INT(height));
        Gdiplus::BitmapData source{};
        if (decoded->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &source) ==
            Gdiplus::Ok)
        {
            copy =
                std::make_unique<Gdiplus::Bitmap>(INT(width), INT(height), PixelFormat32bppPARGB);
            Gdiplus::BitmapData target{};
            if (copy->GetLastStatus() == Gdiplus::Ok &&
                copy->LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &target) ==
                    Gdiplus::Ok)
            {
                for (UINT y = 0; y < height; ++y)
                    std::memcpy(static_cast<BYTE*>(target.Scan0) + INT_PTR(y) * target.Stride,
                                static_cast<const BYTE*>(source.Scan0) + INT_PTR(y) * source.Stride,
                                std::size_t(width) * 4);
                copy->UnlockBits(&target);
            }
            else
            {
                copy.reset();
            }
            decoded->UnlockBits(&source);
        }
    }
    decoded.reset();
    stream->Release();
    if (!copy) return nullptr;
    return std::make_shared<GdiplusBitmap>(std::move(session), std::move(copy));
}

} // namespace VSTGUI
