// SPDX-License-Identifier: GPL-3.0-or-later
// CDrawContext on a GDI+ graphics: the drawing of the Windows editor window and of off-screen
// images there. It draws as the cairo context does: antialiased shapes and text, pixel centres
// at half coordinates, bitmaps copied pixel for pixel at their own resolution.
#pragma once

#include "base/CDrawContext.h"
#include "platform/gdiplus/GdiplusBitmap.h"
#include "platform/gdiplus/GdiplusSession.h"

#include <vector>

namespace VSTGUI {

class GdiplusDrawContext : public CDrawContext
{
public:
    /** Draws on `graphics` (not owned) at `scale` device pixels per editor pixel. */
    GdiplusDrawContext(GdiplusSession& session, Gdiplus::Graphics& graphics, double scale);

    double getScaleFactor() const override { return scale; }
    void saveGlobalState() override;
    void restoreGlobalState() override;
    void translate(const CPoint& offset) override;
    void clipRect(const CRect& rect) override;
    void setFillColor(const CColor& color) override { state.fill = color; }
    void setFrameColor(const CColor& color) override { state.frame = color; }
    void setLineWidth(CCoord width) override { state.lineWidth = width; }
    void setGlobalAlpha(float alpha) override { state.alpha = alpha; }
    void drawRect(const CRect& rect, CDrawStyle style) override;
    void drawRoundRect(const CRect& rect, CCoord radius, CDrawStyle style) override;
    void drawLine(const CPoint& from, const CPoint& to) override;
    void drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& sourceOffset,
                    float alpha) override;
    void setFont(const CFontDesc& font) override { state.font = font; }
    void setFontColor(const CColor& color) override { state.fontColor = color; }
    void drawString(const std::string& text, const CRect& rect, CHoriTxtAlign align) override;
    CCoord getStringWidth(const std::string& text) override;

private:
    struct State
    {
        CColor fill = kWhiteCColor;
        CColor frame = kBlackCColor;
        CColor fontColor = kWhiteCColor;
        CCoord lineWidth = 1;
        float alpha = 1.f;
        CFontDesc font;
    };

    Gdiplus::Color colorOf(const CColor& color) const;
    void fillAndStroke(Gdiplus::GraphicsPath& path, CDrawStyle style);
    /** Draws the `covered` part of a bitmap (its left top at `origin`) shrunk to the device's
     *  pixels; false when it cannot, for the filtered way. */
    bool drawShrunk(const GdiplusBitmap& bitmap, double bitmapScale, const CRect& covered,
                    const CPoint& origin, Gdiplus::ImageAttributes& attributes);

    GdiplusSession& session;
    Gdiplus::Graphics& graphics;
    double scale;
    State state;
    std::vector<std::pair<State, Gdiplus::GraphicsState>> saved;
};

} // namespace VSTGUI
