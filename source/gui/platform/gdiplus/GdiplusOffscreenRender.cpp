// SPDX-License-Identifier: GPL-3.0-or-later
// The off-screen renders with GDI+ (Windows).
#include "platform/gdiplus/GdiplusDrawContext.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/CFrame.h"

#include <cmath>

namespace VSTGUI {

namespace {

std::unique_ptr<Gdiplus::Bitmap> renderBitmap(GdiplusSession& session, CFrame& frame, double scale)
{
    if (!std::isfinite(scale) || scale <= 0) return nullptr;
    CPoint size = frame.getViewSize().getSize();
    auto width = static_cast<int>(std::lround(size.x * scale));
    auto height = static_cast<int>(std::lround(size.y * scale));
    if (width <= 0 || height <= 0 || width > 32768 || height > 32768) return nullptr;
    auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppPARGB);
    if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
    {
        Gdiplus::Graphics graphics(bitmap.get());
        graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        GdiplusDrawContext context(session, graphics, scale);
        frame.drawRect(context, frame.getViewSize());
    }
    return bitmap;
}

bool pngEncoder(CLSID& clsid)
{
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<unsigned char> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i)
        if (encoders[i].MimeType && std::wstring(encoders[i].MimeType) == L"image/png")
        {
            clsid = encoders[i].Clsid;
            return true;
        }
    return false;
}

} // namespace

OffscreenImage renderToImage(CFrame& frame, double scale)
{
    OffscreenImage image;
    std::shared_ptr<GdiplusSession> session = GdiplusSession::acquire();
    if (!session) return image;
    std::unique_ptr<Gdiplus::Bitmap> bitmap = renderBitmap(*session, frame, scale);
    if (!bitmap) return image;
    // Read back as straight (not premultiplied) ARGB, the image's format.
    Gdiplus::Rect all(0, 0, INT(bitmap->GetWidth()), INT(bitmap->GetHeight()));
    Gdiplus::BitmapData data{};
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) !=
        Gdiplus::Ok)
        return image;
    image.width = all.Width;
    image.height = all.Height;
    image.pixels.resize(std::size_t(image.width) * std::size_t(image.height));
    for (int y = 0; y < image.height; ++y)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(
            static_cast<const BYTE*>(data.Scan0) + INT_PTR(y) * data.Stride);
        std::copy(row, row + image.width, image.pixels.begin() + std::ptrdiff_t(y) * image.width);
    }
    bitmap->UnlockBits(&data);
    return image;
}

bool renderToPNG(CFrame& frame, double scale, UTF8StringPtr path)
{
    if (!path) return false;
    std::shared_ptr<GdiplusSession> session = GdiplusSession::acquire();
    if (!session) return false;
    std::unique_ptr<Gdiplus::Bitmap> bitmap = renderBitmap(*session, frame, scale);
    CLSID png;
    if (!bitmap || !pngEncoder(png)) return false;
    return bitmap->Save(wideOf(path).c_str(), &png, nullptr) == Gdiplus::Ok;
}

} // namespace VSTGUI
