// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cairo/CairoDrawContext.h"

#include "base/CBitmap.h"
#include "platform/cairo/CairoBitmap.h"

#include <cmath>

namespace VSTGUI {

namespace {

/** Only valid UTF-8 goes to cairo, which refuses to draw anything else. */
bool isValidUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size())
    {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80           ? 1
                             : (c >> 5) == 0x6  ? 2
                             : (c >> 4) == 0xE  ? 3
                             : (c >> 3) == 0x1E ? 4
                                                : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

} // namespace

CairoDrawContext::CairoDrawContext(cairo_t* cr, double scale) : cr(cr), scale(scale)
{
    cairo_scale(cr, scale, scale);
}

void CairoDrawContext::saveGlobalState()
{
    cairo_save(cr);
    saved.push_back(state);
}

void CairoDrawContext::restoreGlobalState()
{
    if (saved.empty()) return;
    cairo_restore(cr);
    state = saved.back();
    saved.pop_back();
}

void CairoDrawContext::translate(const CPoint& offset)
{
    cairo_translate(cr, offset.x, offset.y);
}

void CairoDrawContext::clipRect(const CRect& rect)
{
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.left, rect.top, std::max<CCoord>(0, rect.getWidth()),
                    std::max<CCoord>(0, rect.getHeight()));
    cairo_clip(cr);
}

void CairoDrawContext::setSource(const CColor& color)
{
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0,
                          color.alpha / 255.0 * state.alpha);
}

void CairoDrawContext::fillAndStroke(CDrawStyle style)
{
    if (style != kDrawStroked)
    {
        setSource(state.fill);
        if (style == kDrawFilledAndStroked)
            cairo_fill_preserve(cr);
        else
            cairo_fill(cr);
    }
    if (style != kDrawFilled)
    {
        setSource(state.frame);
        cairo_set_line_width(cr, state.lineWidth);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
}

void CairoDrawContext::drawRect(const CRect& rect, CDrawStyle style)
{
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    fillAndStroke(style);
}

void CairoDrawContext::drawRoundRect(const CRect& rect, CCoord radius, CDrawStyle style)
{
    CCoord r = std::max<CCoord>(0, std::min({radius, rect.getWidth() / 2, rect.getHeight() / 2}));
    constexpr double kHalfPi = 1.5707963267948966;
    cairo_new_path(cr);
    cairo_arc(cr, rect.right - r, rect.top + r, r, -kHalfPi, 0);
    cairo_arc(cr, rect.right - r, rect.bottom - r, r, 0, kHalfPi);
    cairo_arc(cr, rect.left + r, rect.bottom - r, r, kHalfPi, 2 * kHalfPi);
    cairo_arc(cr, rect.left + r, rect.top + r, r, 2 * kHalfPi, 3 * kHalfPi);
    cairo_close_path(cr);
    fillAndStroke(style);
}

void CairoDrawContext::drawLine(const CPoint& from, const CPoint& to)
{
    cairo_new_path(cr);
    cairo_move_to(cr, from.x, from.y);
    cairo_line_to(cr, to.x, to.y);
    setSource(state.frame);
    cairo_set_line_width(cr, state.lineWidth);
    cairo_stroke(cr);
}

void CairoDrawContext::drawBitmap(const CBitmap& bitmap, const CRect& dest,
                                  const CPoint& sourceOffset, float alpha)
{
    double bitmapScale = 1.0;
    auto* platform = dynamic_cast<const CairoBitmap*>(bitmap.getPlatformBitmap(scale, bitmapScale));
    if (!platform || dest.isEmpty()) return;
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, dest.left, dest.top, dest.getWidth(), dest.getHeight());
    cairo_clip(cr);
    cairo_translate(cr, dest.left - sourceOffset.x, dest.top - sourceOffset.y);
    cairo_scale(cr, 1.0 / bitmapScale, 1.0 / bitmapScale);
    cairo_set_source_surface(cr, platform->getSurface(), 0, 0);
    // Scaled bitmaps are filtered; at their own resolution they are copied pixel for pixel.
    cairo_pattern_set_filter(cairo_get_source(cr),
                             scale == bitmapScale ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    // The filter takes edge pixels from inside: a transparent outside would fade an edge that
    // lies inside a device pixel twice, once by the filter and once by the clip.
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint_with_alpha(cr, double(alpha) * state.alpha);
    cairo_restore(cr);
}

void CairoDrawContext::selectFont()
{
    cairo_select_font_face(
        cr, state.font.name.c_str(),
        (state.font.style & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
        (state.font.style & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, state.font.size);
}

void CairoDrawContext::drawString(const std::string& text, const CRect& rect, CHoriTxtAlign align)
{
    if (text.empty() || !isValidUtf8(text)) return;
    selectFont();
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    double x = rect.left;
    if (align == kCenterText)
        x = rect.left + (rect.getWidth() - extents.x_advance) / 2;
    else if (align == kRightText)
        x = rect.right - extents.x_advance;
    double y = rect.top + (rect.getHeight() + font.ascent - font.descent) / 2;
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_clip(cr);
    setSource(state.fontColor);
    cairo_move_to(cr, std::round(x * scale) / scale, std::round(y * scale) / scale);
    cairo_show_text(cr, text.c_str());
    cairo_restore(cr);
}

CCoord measureStringWidth(const CFontDesc& font, const std::string& text)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    cairo_t* cr = cairo_create(surface);
    CCoord width = 0;
    {
        CairoDrawContext context(cr, 1.0);
        context.setFont(font);
        width = context.getStringWidth(text);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return width;
}

CCoord CairoDrawContext::getStringWidth(const std::string& text)
{
    if (text.empty() || !isValidUtf8(text)) return 0;
    selectFont();
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

} // namespace VSTGUI
