// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CParamDisplay.h"

#include "base/CDrawContext.h"

#include <cstdio>

namespace VSTGUI {

CParamDisplay::CParamDisplay(const CRect& size, std::shared_ptr<CBitmap> bitmap, int32_t style)
    : CControl(size, nullptr, -1, std::move(bitmap)), style(style)
{}

void CParamDisplay::setValueToStringFunction(ValueToStringFunction function)
{
    valueToString = std::move(function);
    invalid();
}

std::string CParamDisplay::getDisplayText() const
{
    std::string text;
    if (valueToString && valueToString(value, text)) return text;
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.*f", std::min(12, std::max(0, precision)),
                  static_cast<double>(value));
    return buffer;
}

void CParamDisplay::drawBack(CDrawContext& context, bool force) const
{
    if ((style & kNoDrawStyle) && !force) return;
    if (background) context.drawBitmap(*background, size);
    if (transparent && !force) return;
    CDrawStyle drawStyle = (style & kNoFrame) ? kDrawFilled : kDrawFilledAndStroked;
    context.setFillColor(backColor);
    context.setFrameColor(frameColor);
    context.setLineWidth(frameWidth);
    CRect box = size;
    if (drawStyle != kDrawFilled) box.inset(frameWidth / 2, frameWidth / 2);
    if (style & kRoundRectStyle)
        context.drawRoundRect(box, roundRectRadius, drawStyle);
    else
        context.drawRect(box, drawStyle);
}

CRect CParamDisplay::getTextRect() const
{
    CRect rect = size;
    rect.inset(textInset.x, textInset.y);
    return rect;
}

void CParamDisplay::drawText(CDrawContext& context, const std::string& text) const
{
    if ((style & kNoTextStyle) || text.empty()) return;
    context.setFont(font);
    CRect rect = getTextRect();
    if (style & kShadowText)
    {
        context.setFontColor(shadowColor);
        context.drawString(text, CRect(rect).offset(1, 1), horiAlign);
    }
    context.setFontColor(fontColor);
    context.drawString(text, rect, horiAlign);
}

void CParamDisplay::draw(CDrawContext& context)
{
    drawBack(context);
    drawText(context, getDisplayText());
}

} // namespace VSTGUI
