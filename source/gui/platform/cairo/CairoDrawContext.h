// SPDX-License-Identifier: GPL-3.0-or-later
// CDrawContext on a cairo context: the drawing of both the X11 window and off-screen images.
#pragma once

#include "base/CDrawContext.h"

#include <cairo.h>

#include <vector>

namespace VSTGUI {

class CairoDrawContext : public CDrawContext
{
public:
    /** Draws on `cr` (not owned) at `scale` device pixels per editor pixel. */
    CairoDrawContext(cairo_t* cr, double scale);

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

    void setSource(const CColor& color);
    void fillAndStroke(CDrawStyle style);
    void selectFont();

    cairo_t* cr;
    double scale;
    State state;
    std::vector<State> saved;
};

} // namespace VSTGUI
