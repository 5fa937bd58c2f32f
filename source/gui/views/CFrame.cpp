// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CFrame.h"

#include "base/CDrawContext.h"

#include <algorithm>
#include <chrono>

namespace VSTGUI {

CFrame::CFrame(const CRect& frameSize, VSTGUIEditorInterface* editor)
    : CViewContainer(CRect(CPoint(), frameSize.getSize())), editor(editor)
{}

CFrame::~CFrame()
{
    animations.clear();
    focusView = nullptr;
    mouseView = nullptr;
    overlays.clear();
    removedOverlays.clear();
    children.clear();
}

void CFrame::setPlatformFrame(IPlatformFrame* frame)
{
    if (platformFrame) platformFrame->stopTimer();
    platformFrame = frame;
    timerInterval = 0;
    updateTimer();
    if (platformFrame) platformFrame->invalidRect(size);
}

void CFrame::invalidRect(const CRect& rect)
{
    CRect clipped = rect;
    clipped.bound(size);
    if (clipped.isEmpty()) return;
    dirtyRect.unite(clipped);
    if (platformFrame) platformFrame->invalidRect(clipped);
}

void CFrame::drawRect(CDrawContext& context, const CRect& updateRect)
{
    context.saveGlobalState();
    context.clipRect(updateRect);
    context.setFillColor(kBlackCColor);
    context.drawRect(size, kDrawFilled);
    CViewContainer::drawRect(context, updateRect);
    for (const Overlay& overlay : overlays)
    {
        if (!overlay.view->isVisible() || !overlay.view->getViewSize().rectOverlap(updateRect))
            continue;
        context.saveGlobalState();
        context.clipRect(overlay.view->getViewSize());
        overlay.view->drawRect(context, updateRect);
        context.restoreGlobalState();
    }
    context.restoreGlobalState();
}

CView* CFrame::modalOverlay() const
{
    for (auto it = overlays.rbegin(); it != overlays.rend(); ++it)
        if (it->modal) return it->view.get();
    return nullptr;
}

CMouseEventResult CFrame::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    mouseView = nullptr;
    CView* target = modalOverlay();
    if (!target)
    {
        for (auto it = overlays.rbegin(); it != overlays.rend() && !target; ++it)
            if (it->view->isVisible() && it->view->getViewSize().pointInside(where))
                target = it->view.get();
    }
    mouseViewOrigin = CPoint();
    if (!target) target = findViewAt(where, mouseViewOrigin);

    // A click anywhere but on the view being typed into ends the typing.
    if (focusView && target != focusView) setFocusView(nullptr);

    CMouseEventResult result = kMouseEventNotHandled;
    if (target)
    {
        CPoint local = where - mouseViewOrigin;
        result = target->onMouseDown(local, buttons);
        if (result == kMouseEventHandled) mouseView = target;
    }
    collectGarbage();
    return result;
}

CMouseEventResult CFrame::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    CMouseEventResult result = kMouseEventNotHandled;
    if (mouseView)
    {
        CPoint local = where - mouseViewOrigin;
        result = mouseView->onMouseMoved(local, buttons);
    }
    else if (CView* modal = modalOverlay())
    {
        CPoint local = where;
        result = modal->onMouseMoved(local, buttons);
    }
    collectGarbage();
    return result;
}

CMouseEventResult CFrame::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    CMouseEventResult result = kMouseEventNotHandled;
    if (CView* view = mouseView)
    {
        mouseView = nullptr;
        CPoint local = where - mouseViewOrigin;
        result = view->onMouseUp(local, buttons);
    }
    collectGarbage();
    return result;
}

bool CFrame::onWheel(const CPoint& where, float distance, const CButtonState& buttons)
{
    if (modalOverlay() || mouseView) return false;
    CPoint origin;
    bool used = false;
    if (CView* view = findViewAt(where, origin))
        used = view->onWheel(where - origin, distance, buttons);
    collectGarbage();
    return used;
}

int32_t CFrame::onKeyDown(VstKeyCode& key)
{
    int32_t result = -1;
    if (CView* modal = modalOverlay())
        result = modal->onKeyDown(key);
    else if (focusView)
        result = focusView->onKeyDown(key);
    collectGarbage();
    return result;
}

int32_t CFrame::onKeyUp(VstKeyCode& key)
{
    int32_t result = -1;
    if (CView* modal = modalOverlay())
        result = modal->onKeyUp(key);
    else if (focusView)
        result = focusView->onKeyUp(key);
    return result;
}

void CFrame::setFocusView(CView* view)
{
    if (view == focusView) return;
    CView* old = focusView;
    focusView = view;
    if (old) old->looseFocus();
    if (focusView) focusView->takeFocus();
    if (platformFrame && (old == nullptr) != (focusView == nullptr))
        platformFrame->setKeyboardFocus(focusView != nullptr);
}

void CFrame::addOverlay(CView* view, bool modal)
{
    if (!view) return;
    overlays.push_back({std::unique_ptr<CView>(view), modal});
    invalidRect(view->getViewSize());
}

void CFrame::removeOverlay(CView* view)
{
    auto it = std::find_if(overlays.begin(), overlays.end(),
                           [view](const Overlay& o) { return o.view.get() == view; });
    if (it == overlays.end()) return;
    invalidRect(view->getViewSize());
    unregisterAnimation(view);
    if (focusView == view) setFocusView(nullptr);
    if (mouseView == view) mouseView = nullptr;
    removedOverlays.push_back(std::move(it->view));
    overlays.erase(it);
}

void CFrame::collectGarbage()
{
    removedOverlays.clear();
}

bool CFrame::isRegistered(const CView* view) const
{
    return std::any_of(animations.begin(), animations.end(),
                       [view](const Animation& a) { return a.view == view; });
}

void CFrame::registerAnimation(CView* view, std::uint32_t interval)
{
    unregisterAnimation(view);
    animations.push_back({view, std::max<std::uint32_t>(1, interval)});
    updateTimer();
}

void CFrame::unregisterAnimation(CView* view)
{
    animations.erase(std::remove_if(animations.begin(), animations.end(),
                                    [view](const Animation& a) { return a.view == view; }),
                     animations.end());
    updateTimer();
}

void CFrame::updateTimer()
{
    if (!platformFrame) return;
    std::uint32_t wanted = 0;
    for (const Animation& animation : animations)
        wanted = wanted == 0 ? animation.interval : std::min(wanted, animation.interval);
    if (wanted == 0)
    {
        if (platformFrame->isTimerRunning()) platformFrame->stopTimer();
    }
    else if (!platformFrame->isTimerRunning() || wanted != timerInterval)
    {
        platformFrame->startTimer(wanted);
    }
    timerInterval = wanted;
}

std::uint64_t CFrame::getTicks() const
{
    if (platformFrame) return platformFrame->getTicks();
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void CFrame::platformDrawRect(CDrawContext& context, const CRect& updateRect)
{
    drawRect(context, updateRect);
}

CMouseEventResult CFrame::platformOnMouseDown(CPoint where, const CButtonState& buttons)
{
    return onMouseDown(where, buttons);
}

CMouseEventResult CFrame::platformOnMouseMoved(CPoint where, const CButtonState& buttons)
{
    return onMouseMoved(where, buttons);
}

CMouseEventResult CFrame::platformOnMouseUp(CPoint where, const CButtonState& buttons)
{
    return onMouseUp(where, buttons);
}

bool CFrame::platformOnMouseWheel(CPoint where, float distance, const CButtonState& buttons)
{
    return onWheel(where, distance, buttons);
}

bool CFrame::platformOnKeyDown(const VstKeyCode& key)
{
    VstKeyCode copy = key;
    return onKeyDown(copy) == 1;
}

bool CFrame::platformOnKeyUp(const VstKeyCode& key)
{
    VstKeyCode copy = key;
    return onKeyUp(copy) == 1;
}

void CFrame::platformOnFocusLost()
{
    CView* old = focusView;
    focusView = nullptr;
    if (old) old->looseFocus();
    collectGarbage();
}

void CFrame::platformOnTimer()
{
    // A view may unregister itself from its own tick.
    std::vector<Animation> current = animations;
    for (const Animation& animation : current)
        if (isRegistered(animation.view)) animation.view->onAnimationTimer();
    collectGarbage();
}

} // namespace VSTGUI
