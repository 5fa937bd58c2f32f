// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CFrame.h"

#include "base/CDrawContext.h"
#include "views/CControl.h"
#include "views/CTextEdit.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace VSTGUI {

namespace {

constexpr CCoord kFocusRingGap = 2;
constexpr CCoord kFocusRingRadius = 5;

bool isWithin(const CView* view, const CView* ancestor)
{
    for (const CView* v = view; v; v = v->getParentView())
        if (v == ancestor) return true;
    return false;
}

/** Visible, mouse-enabled views of the tree, depth first in document order. */
void collectReachable(const CViewContainer& container, std::vector<CView*>& out)
{
    for (std::size_t i = 0; i < container.getNbViews(); ++i)
    {
        CView* view = container.getView(i);
        if (!view->isVisible() || !view->getMouseEnabled()) continue;
        out.push_back(view);
        if (view->isContainer()) collectReachable(*static_cast<CViewContainer*>(view), out);
    }
}

int32_t tagOf(const CView* view)
{
    auto* control = dynamic_cast<const CControl*>(view);
    return control ? control->getTag() : -1;
}

} // namespace

CFrame::CFrame(const CRect& frameSize, VSTGUIEditorInterface* editor)
    : CViewContainer(CRect(CPoint(), frameSize.getSize())), editor(editor)
{}

CFrame::~CFrame()
{
    animations.clear();
    mouseObservers.clear();
    focusView = nullptr;
    mouseView = nullptr;
    hoverView = nullptr;
    focusOnRelease = nullptr;
    overlays.clear();
    removedOverlays.clear();
    children.clear();
}

void CFrame::setPlatformFrame(IPlatformFrame* frame)
{
    if (platformFrame) platformFrame->stopTimer();
    platformFrame = frame;
    platformHasFocus = false;
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
    if (focusDrawing && focusView && !focusView->drawsOwnFocus() && isInTree(focusView))
    {
        CRect ring = getFocusRingRect(focusView);
        if (ring.rectOverlap(updateRect))
        {
            context.setFrameColor(focusColor);
            context.setLineWidth(focusWidth);
            ring.inset(focusWidth / 2, focusWidth / 2);
            context.drawRoundRect(ring, kFocusRingRadius, kDrawStroked);
        }
    }
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
    focusOnRelease = nullptr;
    editedByMouse = false;
    CView* target = modalOverlay();
    bool onOverlay = target != nullptr;
    for (auto it = overlays.rbegin(); it != overlays.rend() && !target; ++it)
        if (it->view->isVisible() && it->view->getViewSize().pointInside(where))
        {
            target = it->view.get();
            onOverlay = true;
        }
    mouseViewOrigin = CPoint();
    if (!target) target = findViewAt(where, mouseViewOrigin);

    // A click anywhere but on the view with the keys (or the overlay holding it) takes them
    // away, and ends typing.
    if (focusView && !isWithin(focusView, target)) setFocusView(nullptr);

    CMouseEventResult result = kMouseEventNotHandled;
    if (!onOverlay)
    {
        std::vector<IMouseObserver*> observers = mouseObservers;
        for (IMouseObserver* observer : observers)
        {
            result = observer->onMouseDown(this, where, buttons);
            if (result != kMouseEventNotHandled)
            {
                collectGarbage();
                return result;
            }
        }
    }
    if (target)
    {
        CPoint local = where - mouseViewOrigin;
        result = target->onMouseDown(local, buttons);
        const bool mayTakeFocus = !onOverlay && target->wantsFocus() && isInTree(target);
        if (result == kMouseEventHandled)
        {
            mouseView = target;
            if (mayTakeFocus) focusOnRelease = target;
        }
        else if (result == kMouseDownEventHandledButDontNeedMovedOrUpEvents && mayTakeFocus &&
                 !editedByMouse && !modalOverlay())
        {
            // (A click that opened a popup leaves the keys to it, and to the host after it.)
            setFocusView(target);
        }
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
    else
    {
        if (CView* modal = modalOverlay())
        {
            CPoint local = where;
            result = modal->onMouseMoved(local, buttons);
        }
        updateHover(where, buttons);
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
        if (view == focusOnRelease && !editedByMouse && isInTree(view)) setFocusView(view);
    }
    focusOnRelease = nullptr;
    updateHover(where, buttons);
    collectGarbage();
    return result;
}

CMouseEventResult CFrame::onMouseExited(CPoint& where, const CButtonState& buttons)
{
    // During a drag the dragged view keeps the pointer; the release finds where it went.
    if (!mouseView) setHoverView(nullptr, where, buttons);
    collectGarbage();
    return kMouseEventHandled;
}

void CFrame::updateHover(const CPoint& where, const CButtonState& buttons)
{
    CView* view = nullptr;
    if (!modalOverlay() && size.pointInside(where))
    {
        bool overOverlay = false;
        for (const Overlay& overlay : overlays)
            overOverlay |=
                overlay.view->isVisible() && overlay.view->getViewSize().pointInside(where);
        CPoint origin;
        if (!overOverlay) view = findViewAt(where, origin);
    }
    setHoverView(view, where, buttons);
}

void CFrame::setHoverView(CView* view, CPoint where, const CButtonState& buttons)
{
    if (view == hoverView) return;
    CView* old = hoverView;
    hoverView = view;
    std::vector<IMouseObserver*> observers = mouseObservers;
    if (old)
    {
        CPoint local = where - old->localToFrame(CPoint());
        old->onMouseExited(local, buttons);
        for (IMouseObserver* observer : observers)
            observer->onMouseExited(old, this);
    }
    // An observer may have changed the tree; only a view still in it is entered.
    if (hoverView == view && view && isInTree(view))
    {
        CPoint local = where - view->localToFrame(CPoint());
        view->onMouseEntered(local, buttons);
        for (IMouseObserver* observer : observers)
            observer->onMouseEntered(view, this);
    }
}

bool CFrame::onWheel(const CPoint& where, float distance, const CButtonState& buttons)
{
    if (mouseView) return false;
    if (CView* modal = modalOverlay())
    {
        bool used = modal->onWheel(where, distance, buttons);
        collectGarbage();
        return used;
    }
    CPoint origin;
    bool used = false;
    if (CView* view = findViewAt(where, origin))
        used = view->onWheel(where - origin, distance, buttons);
    collectGarbage();
    return used;
}

int32_t CFrame::onKeyDown(VstKeyCode& key)
{
    ++handlingKeys;
    int32_t result = -1;
    if (CView* modal = modalOverlay())
    {
        result = modal->onKeyDown(key);
    }
    else
    {
        if (focusView) result = focusView->onKeyDown(key);
        if (result != 1) result = onNavigationKey(key);
    }
    --handlingKeys;
    collectGarbage();
    return result;
}

int32_t CFrame::onNavigationKey(const VstKeyCode& key)
{
    if (key.character != 0) return -1;
    const bool shift = key.modifier & MODIFIER_SHIFT;
    const bool otherModifier =
        key.modifier & (MODIFIER_ALTERNATE | MODIFIER_COMMAND | MODIFIER_CONTROL);
    if (otherModifier) return -1;
    switch (key.virt)
    {
    case VKEY_TAB:
        return advanceNextFocusView(focusView, shift) ? 1 : -1;
    case VKEY_RETURN:
    case VKEY_ENTER:
    {
        // A control's text entry is the text field that shows the same tag.
        int32_t tag = tagOf(focusView);
        if (tag == -1) return -1;
        std::vector<CView*> views;
        collectReachable(*this, views);
        for (CView* view : views)
            if (auto* field = dynamic_cast<CTextEdit*>(view))
                if (field != focusView && field->getTag() == tag)
                {
                    field->beginTyping();
                    return 1;
                }
        return -1;
    }
    case VKEY_ESCAPE:
        if (!focusView) return -1;
        setFocusView(nullptr);
        return 1;
    default:
        return -1;
    }
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
    invalidFocusRing(old);
    invalidFocusRing(focusView);
    if (old) old->looseFocus();
    if (focusView && focusView == view) focusView->takeFocus();
    updatePlatformFocus();
}

void CFrame::updatePlatformFocus()
{
    bool wanted = focusView != nullptr || modalOverlay() != nullptr;
    if (!platformFrame || wanted == platformHasFocus) return;
    platformHasFocus = wanted;
    platformFrame->setKeyboardFocus(wanted);
}

std::vector<CView*> CFrame::getFocusChain() const
{
    std::vector<CView*> reachable;
    collectReachable(*this, reachable);
    std::vector<CView*> stops;
    for (CView* view : reachable)
    {
        if (view->wantsFocus())
        {
            stops.push_back(view);
            continue;
        }
        // A text field is a stop of its own only when no control of its tag is one.
        auto* field = dynamic_cast<CTextEdit*>(view);
        if (!field) continue;
        int32_t tag = field->getTag();
        bool reachedThroughControl =
            tag != -1 && std::any_of(reachable.begin(), reachable.end(), [&](CView* other) {
                return other != field && other->wantsFocus() && tagOf(other) == tag;
            });
        if (!reachedThroughControl) stops.push_back(view);
    }
    // Reading order: rows from the top, each from the left. A view joins a row when its top
    // lies within the upper half of the row's first view, so that small misalignments of a
    // layout do not split a row.
    std::vector<std::pair<CRect, CView*>> placed;
    for (CView* view : stops)
        placed.emplace_back(view->localToFrame(view->getViewSize()), view);
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first.top < b.first.top; });
    std::vector<CView*> chain;
    for (std::size_t first = 0; first < placed.size();)
    {
        const CRect& leader = placed[first].first;
        std::size_t end = first + 1;
        while (end < placed.size() && placed[end].first.top < leader.top + leader.getHeight() / 2)
            ++end;
        std::stable_sort(placed.begin() + std::ptrdiff_t(first),
                         placed.begin() + std::ptrdiff_t(end),
                         [](const auto& a, const auto& b) { return a.first.left < b.first.left; });
        for (std::size_t i = first; i < end; ++i)
            chain.push_back(placed[i].second);
        first = end;
    }
    return chain;
}

bool CFrame::advanceNextFocusView(CView* oldFocus, bool reverse)
{
    std::vector<CView*> chain = getFocusChain();
    if (chain.empty()) return false;
    auto it = std::find(chain.begin(), chain.end(), oldFocus);
    const auto count = static_cast<std::ptrdiff_t>(chain.size());
    std::ptrdiff_t index = 0;
    if (it == chain.end())
        index = reverse ? count - 1 : 0;
    else
        index = ((it - chain.begin()) + (reverse ? count - 1 : 1)) % count;
    setFocusView(chain[static_cast<std::size_t>(index)]);
    return true;
}

void CFrame::setFocusDrawingEnabled(bool enabled)
{
    focusDrawing = enabled;
    invalidFocusRing(focusView);
}

void CFrame::setFocusColor(const CColor& color)
{
    focusColor = color;
    invalidFocusRing(focusView);
}

void CFrame::setFocusWidth(CCoord width)
{
    invalidFocusRing(focusView);
    focusWidth = std::max<CCoord>(0, width);
    invalidFocusRing(focusView);
}

CRect CFrame::getFocusRingRect(const CView* view) const
{
    if (!view) return CRect();
    CRect ring = view->localToFrame(view->getViewSize());
    // Whole pixels out, so that at 100 % the ring's outer edge lies on the pixel grid.
    const CCoord outset = kFocusRingGap + std::ceil(focusWidth);
    return ring.inset(-outset, -outset);
}

void CFrame::invalidFocusRing(const CView* view)
{
    if (view && isInTree(view)) invalidRect(getFocusRingRect(view).inset(-1, -1));
}

void CFrame::registerMouseObserver(IMouseObserver* observer)
{
    if (observer &&
        std::find(mouseObservers.begin(), mouseObservers.end(), observer) == mouseObservers.end())
        mouseObservers.push_back(observer);
}

void CFrame::unregisterMouseObserver(IMouseObserver* observer)
{
    mouseObservers.erase(std::remove(mouseObservers.begin(), mouseObservers.end(), observer),
                         mouseObservers.end());
}

bool CFrame::isInTree(const CView* view) const
{
    if (!view) return false;
    const CView* top = view;
    while (top->getParentView() && top->getParentView() != this)
        top = top->getParentView();
    if (top->getParentView() != this) return false;
    return std::any_of(children.begin(), children.end(),
                       [top](const std::unique_ptr<CView>& child) { return child.get() == top; });
}

void CFrame::onViewRemoved(CView* view)
{
    if (!view) return;
    if (isWithin(focusView, view)) setFocusView(nullptr);
    if (isWithin(mouseView, view)) mouseView = nullptr;
    if (isWithin(focusOnRelease, view)) focusOnRelease = nullptr;
    if (isWithin(hoverView, view))
    {
        CView* old = hoverView;
        hoverView = nullptr;
        std::vector<IMouseObserver*> observers = mouseObservers;
        for (IMouseObserver* observer : observers)
            observer->onMouseExited(old, this);
    }
    animations.erase(std::remove_if(animations.begin(), animations.end(),
                                    [view](const Animation& a) { return isWithin(a.view, view); }),
                     animations.end());
    updateTimer();
}

void CFrame::onControlEdit(CControl* /*control*/)
{
    if (handlingKeys > 0) return;
    // An edit made with the mouse: the keyboard goes back to the host.
    editedByMouse = true;
    if (focusView && !focusView->drawsOwnFocus()) setFocusView(nullptr);
}

void CFrame::addOverlay(CView* view, bool modal)
{
    if (!view) return;
    view->parent = this;
    overlays.push_back({std::unique_ptr<CView>(view), modal});
    invalidRect(view->getViewSize());
    if (modal)
    {
        CPoint nowhere(-1, -1);
        setHoverView(nullptr, nowhere, CButtonState());
    }
    updatePlatformFocus();
}

void CFrame::removeOverlay(CView* view)
{
    auto it = std::find_if(overlays.begin(), overlays.end(),
                           [view](const Overlay& o) { return o.view.get() == view; });
    if (it == overlays.end()) return;
    invalidRect(view->getViewSize());
    unregisterAnimation(view);
    if (isWithin(focusView, view)) setFocusView(nullptr);
    if (isWithin(mouseView, view)) mouseView = nullptr;
    removedOverlays.push_back(std::move(it->view));
    overlays.erase(it);
    updatePlatformFocus();
}

void CFrame::collectGarbage()
{
    for (auto& removed : removedOverlays)
        removed->parent = nullptr;
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

void CFrame::platformOnMouseExited()
{
    CPoint nowhere(-1, -1);
    onMouseExited(nowhere, CButtonState());
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
    // The host took the keyboard: it is not asked back, so the frame just lets go.
    CView* old = focusView;
    focusView = nullptr;
    invalidFocusRing(old);
    platformHasFocus = false;
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
