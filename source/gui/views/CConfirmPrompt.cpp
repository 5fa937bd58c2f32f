// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CConfirmPrompt.h"

#include "base/CDrawContext.h"
#include "views/PopupPalette.h"

#include <cmath>

namespace VSTGUI {

namespace {

constexpr CCoord kButtonHeight = 24;
constexpr CCoord kButtonWidth = 80;
constexpr CCoord kButtonGap = 10;
constexpr CColor kButtonBack{60, 60, 66, 255};

} // namespace

CConfirmPrompt::CConfirmPrompt(const CRect& frameSize, UTF8StringPtr question, Done done,
                               UTF8StringPtr yes, UTF8StringPtr no)
    : CPromptView(frameSize, question, kButtonHeight), done(std::move(done)),
      yesTitle(yes ? yes : "Yes"), noTitle(no ? no : "No")
{}

CRect CConfirmPrompt::getNoRect() const
{
    const CRect content = getContentRect();
    CCoord width = std::ceil(std::max(kButtonWidth, measureStringWidth(font, noTitle) + 20));
    return CRect(content.right - width, content.top, content.right, content.top + kButtonHeight);
}

CRect CConfirmPrompt::getYesRect() const
{
    const CRect no = getNoRect();
    CCoord width = std::ceil(std::max(kButtonWidth, measureStringWidth(font, yesTitle) + 20));
    return CRect(no.left - kButtonGap - width, no.top, no.left - kButtonGap, no.bottom);
}

void CConfirmPrompt::drawBackgroundRect(CDrawContext& context, const CRect& updateRect)
{
    CPromptView::drawBackgroundRect(context, updateRect);
    const struct
    {
        CRect rect;
        const std::string& title;
        bool highlighted;
    } buttons[] = {{getYesRect(), yesTitle, yesHighlighted},
                   {getNoRect(), noTitle, !yesHighlighted}};
    context.setLineWidth(1);
    for (const auto& button : buttons)
    {
        context.setFillColor(button.highlighted ? kPopupHighlight : kButtonBack);
        context.setFrameColor(kPopupFrame);
        context.drawRoundRect(CRect(button.rect).inset(0.5, 0.5), 4, kDrawFilledAndStroked);
        context.setFontColor(kWhiteCColor);
        context.drawString(button.title, button.rect, kCenterText);
    }
}

void CConfirmPrompt::highlight(bool yes)
{
    if (yes == yesHighlighted) return;
    yesHighlighted = yes;
    invalidRect(getBoxRect());
}

CMouseEventResult CConfirmPrompt::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (getYesRect().pointInside(where))
        finish(true);
    else if (getNoRect().pointInside(where))
        finish(false);
    else
        return CPromptView::onMouseDown(where, buttons);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

CMouseEventResult CConfirmPrompt::onMouseMoved(CPoint& where, const CButtonState& /*buttons*/)
{
    if (getYesRect().pointInside(where))
        highlight(true);
    else if (getNoRect().pointInside(where))
        highlight(false);
    return kMouseEventHandled;
}

int32_t CConfirmPrompt::onKeyDown(VstKeyCode& key)
{
    if (key.character != 0) return 1;
    switch (key.virt)
    {
    case VKEY_LEFT:
    case VKEY_RIGHT:
    case VKEY_TAB:
        highlight(!yesHighlighted);
        break;
    case VKEY_RETURN:
    case VKEY_ENTER:
    case VKEY_SPACE:
        finish(yesHighlighted);
        break;
    default:
        return CPromptView::onKeyDown(key);
    }
    return 1;
}

void CConfirmPrompt::report(bool yes)
{
    Done answer = std::move(done);
    done = nullptr;
    if (answer) answer(yes);
}

} // namespace VSTGUI
