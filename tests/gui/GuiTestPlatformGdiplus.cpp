// SPDX-License-Identifier: GPL-3.0-or-later
// The test support's platform part on Windows: PNG files written with GDI+.
#include "GuiTestSupport.h"

#include <windows.h>

#include <gdiplus.h>

#include <string>

namespace GuiTest {

namespace {

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

const Steinberg::FIDString kNativeWindowType = Steinberg::kPlatformTypeHWND;
const Steinberg::FIDString kForeignWindowType = Steinberg::kPlatformTypeX11EmbedWindowID;

std::vector<unsigned char> makePng(int width, int height, uint32_t (*pixel)(int x, int y))
{
    std::vector<unsigned char> png;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return png;
    {
        Gdiplus::Bitmap bitmap(width, height, PixelFormat32bppARGB);
        Gdiplus::Rect all(0, 0, width, height);
        Gdiplus::BitmapData data{};
        IStream* stream = nullptr;
        CLSID encoder;
        if (bitmap.LockBits(&all, Gdiplus::ImageLockModeWrite, PixelFormat32bppARGB, &data) ==
                Gdiplus::Ok &&
            pngEncoder(encoder) && CreateStreamOnHGlobal(nullptr, TRUE, &stream) == S_OK)
        {
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    reinterpret_cast<uint32_t*>(static_cast<BYTE*>(data.Scan0) +
                                                INT_PTR(y) * data.Stride)[x] = pixel(x, y);
            bitmap.UnlockBits(&data);
            STATSTG size{};
            LARGE_INTEGER start{};
            if (bitmap.Save(stream, &encoder, nullptr) == Gdiplus::Ok &&
                stream->Stat(&size, STATFLAG_NONAME) == S_OK &&
                stream->Seek(start, STREAM_SEEK_SET, nullptr) == S_OK)
            {
                png.resize(std::size_t(size.cbSize.QuadPart));
                ULONG read = 0;
                stream->Read(png.data(), ULONG(png.size()), &read);
                png.resize(read);
            }
        }
        if (stream) stream->Release();
    }
    Gdiplus::GdiplusShutdown(token);
    return png;
}

} // namespace GuiTest
