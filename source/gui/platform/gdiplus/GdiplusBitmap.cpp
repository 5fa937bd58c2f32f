// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gdiplus/GdiplusBitmap.h"

#include <shlwapi.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace VSTGUI {

namespace {

// Larger images are refused rather than decoded: nothing the editor draws comes near this.
constexpr UINT kMaxDimension = 32768;

} // namespace

CPoint GdiplusBitmap::getPixelSize() const
{
    return {CCoord(image->GetWidth()), CCoord(image->GetHeight())};
}

namespace {

// Enough for the parts a panel draws again and again (its background, the frames its controls
// show), few enough that a long session keeps no more than a few screens of pixels.
constexpr std::size_t kShrunkKept = 32;

/** For each device pixel along one axis: the first source pixel it covers and the weights of
 *  those it covers, each the share of the device pixel it fills (so partly covered edge pixels
 *  are partly transparent, as drawn shapes' edges are). */
struct AxisWeights
{
    std::vector<int> first;
    std::vector<std::vector<float>> weights;
};

AxisWeights areaWeights(int source, int target, double factor, double phase)
{
    AxisWeights axis;
    for (int i = 0; i < target; ++i)
    {
        const double from = std::max(0.0, (i - phase) / factor);
        const double to = std::min(double(source), (i + 1 - phase) / factor);
        const int begin = std::min(source - 1, int(from));
        std::vector<float> weights;
        for (int s = begin; s < int(std::ceil(to)); ++s)
            weights.push_back(
                float(factor * std::max(0.0, std::min(to, s + 1.0) - std::max(from, double(s)))));
        axis.first.push_back(begin);
        axis.weights.push_back(std::move(weights));
    }
    return axis;
}

} // namespace

Gdiplus::Bitmap* GdiplusBitmap::getShrunk(double factor, CPoint phase, const CRect& region) const
{
    const CPoint size = getPixelSize();
    if (!(factor > 0 && factor < 1) || region.isEmpty() || region.left < 0 || region.top < 0 ||
        region.right > size.x || region.bottom > size.y)
        return nullptr;
    for (auto it = shrunk.begin(); it != shrunk.end(); ++it)
        if (it->factor == factor && it->phase == phase && it->region == region)
        {
            std::rotate(it, it + 1, shrunk.end());
            return shrunk.back().image.get();
        }

    const int width = int(region.getWidth()), height = int(region.getHeight());
    const int targetWidth = int(std::ceil(phase.x + width * factor));
    const int targetHeight = int(std::ceil(phase.y + height * factor));
    Gdiplus::Rect part(int(region.left), int(region.top), width, height);
    Gdiplus::BitmapData source{};
    if (image->LockBits(&part, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &source) !=
        Gdiplus::Ok)
        return nullptr;
    // Premultiplied channels average correctly: a transparent neighbour adds no colour.
    const AxisWeights across = areaWeights(width, targetWidth, factor, phase.x);
    const AxisWeights down = areaWeights(height, targetHeight, factor, phase.y);
    std::vector<float> rows(std::size_t(targetWidth) * std::size_t(height) * 4);
    for (int y = 0; y < height; ++y)
    {
        const auto* in = static_cast<const BYTE*>(source.Scan0) + INT_PTR(y) * source.Stride;
        float* out = &rows[std::size_t(y) * std::size_t(targetWidth) * 4];
        for (int x = 0; x < targetWidth; ++x)
            for (std::size_t k = 0; k < across.weights[x].size(); ++k)
            {
                const BYTE* pixel = in + std::size_t(across.first[x] + int(k)) * 4;
                for (int c = 0; c < 4; ++c)
                    out[x * 4 + c] += across.weights[x][k] * pixel[c];
            }
    }
    image->UnlockBits(&source);

    auto result =
        std::make_unique<Gdiplus::Bitmap>(targetWidth, targetHeight, PixelFormat32bppPARGB);
    Gdiplus::Rect target(0, 0, targetWidth, targetHeight);
    Gdiplus::BitmapData written{};
    if (result->GetLastStatus() != Gdiplus::Ok ||
        result->LockBits(&target, Gdiplus::ImageLockModeWrite, PixelFormat32bppPARGB, &written) !=
            Gdiplus::Ok)
        return nullptr;
    for (int y = 0; y < targetHeight; ++y)
    {
        auto* out = static_cast<BYTE*>(written.Scan0) + INT_PTR(y) * written.Stride;
        for (int x = 0; x < targetWidth; ++x)
            for (int c = 0; c < 4; ++c)
            {
                float sum = 0;
                for (std::size_t k = 0; k < down.weights[y].size(); ++k)
                    sum += down.weights[y][k] *
                           rows[(std::size_t(down.first[y] + int(k)) * std::size_t(targetWidth) +
                                 std::size_t(x)) *
                                    4 +
                                std::size_t(c)];
                out[x * 4 + c] = BYTE(std::min(255.f, std::max(0.f, std::round(sum))));
            }
    }
    result->UnlockBits(&written);
    if (shrunk.size() >= kShrunkKept) shrunk.erase(shrunk.begin());
    shrunk.push_back({factor, phase, region, std::move(result)});
    return shrunk.back().image.get();
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
