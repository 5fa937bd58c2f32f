// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CAnimationSplashScreen.h"

#include "base/CDrawContext.h"
#include "views/CFrame.h"

namespace VSTGUI {

/** The panel shown over the editor; an overlay of the frame. */
class CAnimationSplashScreen::Panel : public CView
{
public:
    Panel(CAnimationSplashScreen& owner, const CRect& rect, std::uint64_t start)
        : CView(rect), owner(&owner), start(start)
    {}

    ~Panel() override
    {
        if (owner) owner->panel = nullptr;
    }

    void detach() { owner = nullptr; }

    float getAlpha() const
    {
        CFrame* frame = owner ? owner->getFrame() : nullptr;
        if (!frame || !owner || owner->animationTime == 0) return 1.f;
        float t = float(frame->getTicks() - start) / float(owner->animationTime);
        return std::min(1.f, std::max(0.f, t));
    }

    void draw(CDrawContext& context) override
    {
        if (owner && owner->splashBitmap)
            context.drawBitmap(*owner->splashBitmap, size, CPoint(), getAlpha());
    }

    void onAnimationTimer() override
    {
        // An overlay has no parent to pass its invalidation on; the frame takes it directly.
        CFrame* frame = owner ? owner->getFrame() : nullptr;
        if (!frame) return;
        frame->invalidRect(size);
        if (getAlpha() >= 1.f) frame->unregisterAnimation(this);
    }

    CMouseEventResult onMouseDown(CPoint& /*where*/, const CButtonState& buttons) override
    {
        if (!buttons.isLeftButton()) return kMouseEventNotHandled;
        if (owner) owner->closeSplash();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

private:
    CAnimationSplashScreen* owner;
    std::uint64_t start;
};

CAnimationSplashScreen::CAnimationSplashScreen(const CRect& size, int32_t tag,
                                               std::shared_ptr<CBitmap> bitmap,
                                               std::shared_ptr<CBitmap> splash,
                                               const CRect& splashRect, int32_t animationIndex,
                                               std::uint32_t animationTime)
    : CControl(size, nullptr, tag, std::move(bitmap)), splashBitmap(std::move(splash)),
      splashRect(splashRect), animationIndex(animationIndex), animationTime(animationTime)
{}

CAnimationSplashScreen::~CAnimationSplashScreen()
{
    if (panel)
    {
        panel->detach();
        if (CFrame* frame = getFrame()) frame->removeOverlay(panel);
    }
}

float CAnimationSplashScreen::getSplashAlpha() const
{
    return panel ? panel->getAlpha() : 0.f;
}

void CAnimationSplashScreen::openSplash()
{
    CFrame* frame = getFrame();
    if (!frame || panel) return;
    panel = new Panel(*this, splashRect, frame->getTicks());
    frame->addOverlay(panel, false);
    if (animationTime > 0) frame->registerAnimation(panel);
    setValueByGesture(getMax());
}

void CAnimationSplashScreen::closeSplash()
{
    if (!panel) return;
    Panel* open = panel;
    panel = nullptr;
    open->detach();
    if (CFrame* frame = getFrame()) frame->removeOverlay(open);
    setValueByGesture(getMin());
}

CMouseEventResult CAnimationSplashScreen::onMouseDown(CPoint& /*where*/,
                                                      const CButtonState& buttons)
{
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (checkModifierClick(buttons)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    openSplash();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

} // namespace VSTGUI
