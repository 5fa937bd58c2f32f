// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CTextLabel.h"

#include "base/CDrawContext.h"

namespace VSTGUI {

namespace {

const std::string kEllipsis = "\xE2\x80\xA6";

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

CTextLabel::CTextLabel(const CRect& size, UTF8StringPtr initialText)
    : CView(size), text(initialText ? initialText : "")
{
    setMouseEnabled(false);
}

void CTextLabel::setText(const std::string& value)
{
    if (value == text) return;
    text = value;
    invalid();
}

void CTextLabel::setFont(const CFontDesc& value)
{
    font = value;
    invalid();
}

void CTextLabel::setFontColor(const CColor& value)
{
    fontColor = value;
    invalid();
}

void CTextLabel::setBackColor(const CColor& value)
{
    backColor = value;
    invalid();
}

void CTextLabel::setHoriAlign(CHoriTxtAlign value)
{
    horiAlign = value;
    invalid();
}

void CTextLabel::setTextInset(CCoord value)
{
    textInset = std::max<CCoord>(0, value);
    invalid();
}

std::string CTextLabel::getShownText(CDrawContext& context) const
{
    context.setFont(font);
    const CCoord room = size.getWidth() - 2 * textInset;
    if (context.getStringWidth(text) <= room) return text;
    std::string shown = text;
    while (!shown.empty())
    {
        // Whole characters only, never half of a UTF-8 sequence.
        std::size_t cut = shown.size() - 1;
        while (cut > 0 && isContinuationByte(shown[cut]))
            --cut;
        shown.erase(cut);
        while (!shown.empty() && shown.back() == ' ')
            shown.pop_back();
        if (context.getStringWidth(shown + kEllipsis) <= room) return shown + kEllipsis;
    }
    return context.getStringWidth(kEllipsis) <= room ? kEllipsis : std::string();
}

void CTextLabel::draw(CDrawContext& context)
{
    if (backColor.alpha > 0)
    {
        context.setFillColor(backColor);
        context.drawRect(size, kDrawFilled);
    }
    if (text.empty()) return;
    std::string shown = getShownText(context);
    context.setFontColor(fontColor);
    CRect rect = size;
    rect.inset(textInset, 0);
    context.drawString(shown, rect, horiAlign);
}

} // namespace VSTGUI
