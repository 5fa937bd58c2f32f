// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/gdiplus/GdiplusDrawContext.h"

#include "base/CBitmap.h"
#include "platform/gdiplus/GdiplusBitmap.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

using Gdiplus::REAL;

namespace {

Gdiplus::RectF rectOf(const CRect& rect)
{
    return Gdiplus::RectF(REAL(rect.left), REAL(rect.top),
                          REAL(std::max<CCoord>(0, rect.getWidth())),
                          REAL(std::max<CCoord>(0, rect.getHeight())));
}

/** Text measured and drawn without GDI+'s padding around the glyphs, as cairo does. */
void prepareFormat(Gdiplus::StringFormat& format)
{
    format.SetFormatFlags(Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                          Gdiplus::StringFormatFlagsNoWrap | Gdiplus::StringFormatFlagsNoClip);
    format.SetTrimming(Gdiplus::StringTrimmingNone);
}

} // namespace

GdiplusDrawContext::GdiplusDrawContext(GdiplusSession& session, Gdiplus::Graphics& graphics,
                                       double scale)
    : session(session), graphics(graphics), scale(scale)
{
    graphics.SetPageUnit(Gdiplus::UnitPixel);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    // Pixel centres at half coordinates: a line of width 1 at x = 10.5 covers one column.
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    graphics.ScaleTransform(REAL(scale), REAL(scale));
}

void GdiplusDrawContext::saveGlobalState()
{
    saved.emplace_back(state, graphics.Save());
}

void GdiplusDrawContext::restoreGlobalState()
{
    if (saved.empty()) return;
    graphics.Restore(saved.back().second);
    state = saved.back().first;
    saved.pop_back();
}

void GdiplusDrawContext::translate(const CPoint& offset)
{
    graphics.TranslateTransform(REAL(offset.x), REAL(offset.y));
}

void GdiplusDrawContext::clipRect(const CRect& rect)
{
    graphics.IntersectClip(rectOf(rect));
}

Gdiplus::Color GdiplusDrawContext::colorOf(const CColor& color) const
{
    auto alpha = static_cast<BYTE>(std::lround(color.alpha * std::clamp(state.alpha, 0.f, 1.f)));
    return Gdiplus::Color(alpha, color.red, color.green, color.blue);
}

void GdiplusDrawContext::fillAndStroke(Gdiplus::GraphicsPath& path, CDrawStyle style)
{
    if (style != kDrawStroked)
    {
        Gdiplus::SolidBrush brush(colorOf(state.fill));
        graphics.FillPath(&brush, &path);
    }
    if (style != kDrawFilled)
    {
        Gdiplus::Pen pen(colorOf(state.frame), REAL(state.lineWidth));
        graphics.DrawPath(&pen, &path);
    }
}

void GdiplusDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
    Gdiplus::GraphicsPath path;
    path.AddRectangle(rectOf(rect));
    fillAndStroke(path, style);
}

void GdiplusDrawContext::drawRoundRect(const CRect& rect, CCoord radius, CDrawStyle style)
{
    CCoord r = std::max<CCoord>(0, std::min({radius, rect.getWidth() / 2, rect.getHeight() / 2}));
    if (r <= 0)
    {
        drawRect(rect, style);
        return;
    }
    const REAL d = REAL(2 * r);
    Gdiplus::GraphicsPath path;
    path.AddArc(REAL(rect.right - 2 * r), REAL(rect.top), d, d, 270, 90);
    path.AddArc(REAL(rect.right - 2 * r), REAL(rect.bottom - 2 * r), d, d, 0, 90);
    path.AddArc(REAL(rect.left), REAL(rect.bottom - 2 * r), d, d, 90, 90);
    path.AddArc(REAL(rect.left), REAL(rect.top), d, d, 180, 90);
    path.CloseFigure();
    fillAndStroke(path, style);
}

void GdiplusDrawContext::drawLine(const CPoint& from, const CPoint& to)
{
    Gdiplus::Pen pen(colorOf(state.frame), REAL(state.lineWidth));
    graphics.DrawLine(&pen, REAL(from.x), REAL(from.y), REAL(to.x), REAL(to.y));
}

void GdiplusDrawContext::drawBitmap(const CBitmap& bitmap, const CRect& dest,
                                    const CPoint& sourceOffset, float alpha)
{
    double bitmapScale = 1.0;
    auto* platform =
        dynamic_cast<const GdiplusBitmap*>(bitmap.getPlatformBitmap(scale, bitmapScale));
    if (!platform || dest.isEmpty()) return;
    // Only the part the bitmap covers is drawn: beyond its edges there is nothing, as in cairo.
    CPoint extent = platform->getPixelSize();
    CRect covered(dest.left - sourceOffset.x, dest.top - sourceOffset.y,
                  dest.left - sourceOffset.x + extent.x / bitmapScale,
                  dest.top - sourceOffset.y + extent.y / bitmapScale);
    covered.bound(dest);
    if (covered.isEmpty()) return;

    Gdiplus::ImageAttributes attributes;
    // Scaled bitmaps take their edge pixels from inside, not from a transparent outside.
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    const REAL opacity = REAL(std::clamp(double(alpha) * state.alpha, 0.0, 1.0));
    Gdiplus::ColorMatrix fade = {{{1, 0, 0, 0, 0},
                                  {0, 1, 0, 0, 0},
                                  {0, 0, 1, 0, 0},
                                  {0, 0, 0, opacity, 0},
                                  {0, 0, 0, 0, 1}}};
    if (opacity < 1) attributes.SetColorMatrix(&fade);
    if (scale < bitmapScale && drawShrunk(*platform, bitmapScale, covered,
                                          CPoint(dest.left, dest.top) - sourceOffset, attributes))
        return;
    Gdiplus::InterpolationMode previous = graphics.GetInterpolationMode();
    // At their own resolution bitmaps are copied pixel for pixel; scaled ones are filtered.
    graphics.SetInterpolationMode(scale == bitmapScale
                                      ? Gdiplus::InterpolationModeNearestNeighbor
                                      : Gdiplus::InterpolationModeHighQualityBicubic);
    const CCoord sourceX = (covered.left - dest.left + sourceOffset.x) * bitmapScale;
    const CCoord sourceY = (covered.top - dest.top + sourceOffset.y) * bitmapScale;
    graphics.DrawImage(platform->getImage(), rectOf(covered), REAL(sourceX), REAL(sourceY),
                       REAL(covered.getWidth() * bitmapScale),
                       REAL(covered.getHeight() * bitmapScale), Gdiplus::UnitPixel, &attributes);
    graphics.SetInterpolationMode(previous);
}

bool GdiplusDrawContext::drawShrunk(const GdiplusBitmap& bitmap, double bitmapScale,
                                    const CRect& covered, const CPoint& origin,
                                    Gdiplus::ImageAttributes& attributes)
{
    // Where the covered part lies on the device, in its pixels.
    Gdiplus::Matrix toDevice;
    if (graphics.GetTransform(&toDevice) != Gdiplus::Ok) return false;
    Gdiplus::PointF corner(REAL(covered.left), REAL(covered.top));
    if (toDevice.TransformPoints(&corner, 1) != Gdiplus::Ok) return false;
    const double left = corner.X, top = corner.Y;
    if (!(std::isfinite(left) && std::isfinite(top))) return false;
    const double firstX = std::floor(left), firstY = std::floor(top);
    // A 256th of a pixel is less than any colour step: finer phases would only fill the cache.
    const CPoint phase(std::round((left - firstX) * 256) / 256,
                       std::round((top - firstY) * 256) / 256);
    const CRect region(std::round((covered.left - origin.x) * bitmapScale),
                       std::round((covered.top - origin.y) * bitmapScale),
                       std::round((covered.right - origin.x) * bitmapScale),
                       std::round((covered.bottom - origin.y) * bitmapScale));
    Gdiplus::Bitmap* shrunk = bitmap.getShrunk(scale / bitmapScale, phase, region);
    if (!shrunk) return false;
    // One image pixel on one device pixel: the clip is kept on the device, the transform not
    // needed.
    const INT width = INT(shrunk->GetWidth()), height = INT(shrunk->GetHeight());
    const Gdiplus::InterpolationMode previous = graphics.GetInterpolationMode();
    graphics.ResetTransform();
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    graphics.DrawImage(shrunk, Gdiplus::Rect(INT(firstX), INT(firstY), width, height), 0, 0, width,
                       height, Gdiplus::UnitPixel, &attributes);
    graphics.SetInterpolationMode(previous);
    graphics.SetTransform(&toDevice);
    return true;
}

void GdiplusDrawContext::drawString(const std::string& text, const CRect& rect, CHoriTxtAlign align)
{
    if (text.empty()) return;
    std::wstring wide = wideOf(text);
    Gdiplus::Font& font = session.font(state.font);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    prepareFormat(format);
    Gdiplus::RectF bounds;
    graphics.MeasureString(wide.c_str(), INT(wide.size()), &font, Gdiplus::PointF(0, 0), &format,
                           &bounds);
    // The baseline where cairo puts it: centred by the font's ascent and descent.
    Gdiplus::FontFamily family;
    font.GetFamily(&family);
    const INT style = font.GetStyle();
    const double em = std::max<double>(1, family.GetEmHeight(style));
    const double ascent = font.GetSize() * family.GetCellAscent(style) / em;
    const double descent = font.GetSize() * family.GetCellDescent(style) / em;
    double x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.getWidth() - bounds.Width) / 2;
    else if (align == kRightText)
        x = rect.right - bounds.Width;
    double baseline = rect.top + (rect.getHeight() + ascent - descent) / 2;
    baseline = std::round(baseline * scale) / scale;
    x = std::round(x * scale) / scale;

    Gdiplus::GraphicsState clip = graphics.Save();
    graphics.IntersectClip(rectOf(rect));
    Gdiplus::SolidBrush brush(colorOf(state.fontColor));
    graphics.DrawString(wide.c_str(), INT(wide.size()), &font,
                        Gdiplus::PointF(REAL(x), REAL(baseline - ascent)), &format, &brush);
    graphics.Restore(clip);
}

CCoord GdiplusDrawContext::getStringWidth(const std::string& text)
{
    if (text.empty()) return 0;
    std::wstring wide = wideOf(text);
    Gdiplus::StringFormat format(Gdiplus::StringFormat::GenericTypographic());
    prepareFormat(format);
    Gdiplus::RectF bounds;
    graphics.MeasureString(wide.c_str(), INT(wide.size()), &session.font(state.font),
                           Gdiplus::PointF(0, 0), &format, &bounds);
    return bounds.Width;
}

CCoord measureStringWidth(const CFontDesc& font, const std::string& text)
{
    std::shared_ptr<GdiplusSession> session = GdiplusSession::acquire();
    if (!session) return 0;
    CCoord width = 0;
    {
        Gdiplus::Bitmap surface(1, 1, PixelFormat32bppPARGB);
        Gdiplus::Graphics graphics(&surface);
        GdiplusDrawContext context(*session, graphics, 1.0);
        context.setFont(font);
        width = context.getStringWidth(text);
    }
    return width;
}

} // namespace VSTGUI
