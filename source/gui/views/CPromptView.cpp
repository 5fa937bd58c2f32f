// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CPromptView.h"

#include "base/CDrawContext.h"
#include "views/CFrame.h"
#include "views/PopupPalette.h"

#include <cmath>

namespace VSTGUI {

namespace {

constexpr CColor kDim{0, 0, 0, 110};
constexpr CCoord kMinBoxWidth = 300;

} // namespace

CPromptView::CPromptView(const CRect& frameSize, UTF8StringPtr titleText, CCoord contentHeight)
    : CViewContainer(CRect(CPoint(), frameSize.getSize())), title(titleText ? titleText : "")
{
    setTransparency(true);
    font.size = 13;
    const CCoord frameWidth = size.getWidth();
    CCoord width = std::max(kMinBoxWidth, measureStringWidth(font, title) + 2 * kMargin);
    width = std::floor(std::min(width, frameWidth - 2 * kMargin));
    const CCoord height = kTitleHeight + contentHeight + kMargin;
    const CCoord left = std::floor((frameWidth - width) / 2);
    const CCoord top = std::floor(std::max<CCoord>(0, (size.getHeight() - height) / 3));
    box = CRect(left, top, left + width, top + height);
}

CRect CPromptView::getContentRect() const
{
    return CRect(box.left + kMargin, box.top + kTitleHeight, box.right - kMargin,
                 box.bottom - kMargin);
}

void CPromptView::drawBackgroundRect(CDrawContext& context, const CRect& /*updateRect*/)
{
    context.setFillColor(kDim);
    context.drawRect(CRect(CPoint(), size.getSize()), kDrawFilled);
    context.setFillColor(kPopupBack);
    context.setFrameColor(kPopupFrame);
    context.setLineWidth(1);
    context.drawRoundRect(CRect(box).inset(0.5, 0.5), 6, kDrawFilledAndStroked);
    context.setFont(font);
    context.setFontColor(kWhiteCColor);
    context.drawString(
        title,
        CRect(box.left + kMargin, box.top + 4, box.right - kMargin, box.top + kTitleHeight - 2),
        kLeftText);
}

CMouseEventResult CPromptView::onMouseDown(CPoint& where, const CButtonState& /*buttons*/)
{
    if (!box.pointInside(where)) finish(false);
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

int32_t CPromptView::onKeyDown(VstKeyCode& key)
{
    if (key.character == 0 && key.virt == VKEY_ESCAPE) finish(false);
    return 1; // a modal question has the keyboard
}

void CPromptView::finish(bool accepted)
{
    if (finished) return;
    finished = true;
    // The frame deletes the prompt only once the current event is over.
    if (CFrame* frame = getFrame()) frame->removeOverlay(this);
    report(accepted);
}

} // namespace VSTGUI
