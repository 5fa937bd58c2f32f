// SPDX-License-Identifier: GPL-3.0-or-later
// CDrawContext: what views draw with. Coordinates are the editor's own (unscaled) pixels; a
// backend applies the content scale underneath, so views never see it.
#pragma once

#include "base/VSTGUIBase.h"

namespace VSTGUI {

class CBitmap;

class CDrawContext
{
public:
    virtual ~CDrawContext() = default;

    /** Scale from editor pixels to device pixels (2 on a HiDPI screen). */
    virtual double getScaleFactor() const = 0;

    /** Saves and restores the clip, the offset and the drawing attributes. */
    virtual void saveGlobalState() = 0;
    virtual void restoreGlobalState() = 0;
    /** Moves the origin; later coordinates are relative to it. */
    virtual void translate(const CPoint& offset) = 0;
    /** Narrows the clip to `rect` (in current coordinates). */
    virtual void clipRect(const CRect& rect) = 0;

    virtual void setFillColor(const CColor& color) = 0;
    virtual void setFrameColor(const CColor& color) = 0;
    virtual void setLineWidth(CCoord width) = 0;
    virtual void setGlobalAlpha(float alpha) = 0;

    virtual void drawRect(const CRect& rect, CDrawStyle style) = 0;
    virtual void drawRoundRect(const CRect& rect, CCoord radius, CDrawStyle style) = 0;
    virtual void drawLine(const CPoint& from, const CPoint& to) = 0;

    /** Draws the part of `bitmap` that starts at `sourceOffset` into `dest`, unscaled in editor
     *  pixels; a backend picks the bitmap's high-resolution variant when it has one. */
    virtual void drawBitmap(const CBitmap& bitmap, const CRect& dest,
                            const CPoint& sourceOffset = CPoint(), float alpha = 1.f) = 0;

    virtual void setFont(const CFontDesc& font) = 0;
    virtual void setFontColor(const CColor& color) = 0;
    /** One line of UTF-8 text, vertically centred in `rect`. */
    virtual void drawString(const std::string& text, const CRect& rect,
                            CHoriTxtAlign align = kCenterText) = 0;
    virtual CCoord getStringWidth(const std::string& text) = 0;
};

/** Width of one line of UTF-8 text in `font`, for layout outside of drawing. Defined by the
 *  graphics backend. */
CCoord measureStringWidth(const CFontDesc& font, const std::string& text);

/** Draw context state saved for the lifetime of a scope. */
class ConcatClip
{
public:
    ConcatClip(CDrawContext& context, const CRect& clip) : context(context)
    {
        context.saveGlobalState();
        context.clipRect(clip);
    }
    ~ConcatClip() { context.restoreGlobalState(); }
    ConcatClip(const ConcatClip&) = delete;
    ConcatClip& operator=(const ConcatClip&) = delete;

private:
    CDrawContext& context;
};

} // namespace VSTGUI
