// SPDX-License-Identifier: GPL-3.0-or-later
// CDrawContext on a GDI+ graphics: the drawing of the Windows editor window and of off-screen
// images there. It draws as the cairo context does: antialiased shapes and text, pixel centres
// at half coordinates, bitmaps copied pixel for pixel at their own resolution.
#pragma once

#include "base/StatefulDrawContext.h"
#include "platform/gdiplus/GdiplusBitmap.h"
#include "platform/gdiplus/GdiplusSession.h"

#include <vector>

namespace VSTGUI {

class GdiplusDrawContext : public StatefulDrawContext
{
public:
    /** Draws on `graphics` (not owned) at `scale` device pixels per editor pixel. */
    GdiplusDrawContext(GdiplusSession& session, Gdiplus::Graphics& graphics, double scale);

    double getScaleFactor() const override { return scale; }
    void saveGlobalState() override;
    void restoreGlobalState() override;
    void translate(const CPoint& offset) override;
    void clipRect(const CRect& rect) override;
    void drawRect(const CRect& rect, CDrawStyle style) override;
    void drawRoundRect(const CRect& rect, CCoord radius, CDrawStyle style) override;
    void drawLine(const CPoint& from, const CPoint& to) override;
    void drawBitmap(const CBitmap& bitmap, const CRect& dest, const CPoint& sourceOffset,
                    float alpha) override;
    void drawString(const std::string& text, const CRect& rect, CHoriTxtAlign align) override;
    CCoord getStringWidth(const std::string& text) override;

private:
    Gdiplus::Color colorOf(const CColor& color) const;
    void fillAndStroke(Gdiplus::GraphicsPath& path, CDrawStyle style);
    /** Draws the `covered` part of a bitmap (its left top at `origin`) shrunk to the device's
     *  pixels; false when it cannot, for the filtered way. */
    bool drawShrunk(const GdiplusBitmap& bitmap, double bitmapScale, const CRect& covered,
                    const CPoint& origin, Gdiplus::ImageAttributes& attributes);

    GdiplusSession& session;
    Gdiplus::Graphics& graphics;
    double scale;
    std::vector<std::pair<State, Gdiplus::GraphicsState>> saved;
};

} // namespace VSTGUI
