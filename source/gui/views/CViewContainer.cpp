// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CViewContainer.h"

#include "base/CDrawContext.h"
#include "views/CFrame.h"

#include <algorithm>

namespace VSTGUI {

CViewContainer::CViewContainer(const CRect& size) : CView(size) {}

CViewContainer::~CViewContainer() = default;

void CViewContainer::addView(CView* view)
{
    if (!view) return;
    view->parent = this;
    children.emplace_back(view);
    view->invalid();
}

void CViewContainer::removeView(CView* view, bool withForget)
{
    auto it =
        std::find_if(children.begin(), children.end(),
                     [view](const std::unique_ptr<CView>& child) { return child.get() == view; });
    if (it == children.end()) return;
    if (CFrame* frame = getFrame()) frame->onViewRemoved(view);
    view->invalid();
    std::unique_ptr<CView> owned = std::move(*it);
    children.erase(it);
    owned->parent = nullptr;
    if (!withForget) (void)owned.release(); // the caller owns it again
}

void CViewContainer::drawBackgroundRect(CDrawContext& context, const CRect& /*updateRect*/)
{
    CRect bounds(CPoint(), size.getSize());
    if (!transparent)
    {
        context.setFillColor(backgroundColor);
        context.setFrameColor(backgroundColor);
        context.setLineWidth(1);
        context.drawRect(bounds, backgroundColorDrawStyle);
    }
    if (background) context.drawBitmap(*background, bounds);
}

void CViewContainer::drawRect(CDrawContext& context, const CRect& updateRect)
{
    if (!visible) return;
    CRect local = updateRect;
    local.bound(size).offset(-size.left, -size.top);
    if (local.isEmpty()) return;

    context.saveGlobalState();
    context.clipRect(size);
    context.translate(size.getTopLeft());
    drawBackgroundRect(context, local);
    for (const auto& child : children)
    {
        if (!child->isVisible() || !child->getViewSize().rectOverlap(local)) continue;
        context.saveGlobalState();
        if (!child->isContainer()) context.clipRect(child->getViewSize());
        child->drawRect(context, local);
        context.restoreGlobalState();
    }
    context.restoreGlobalState();
}

CView* CViewContainer::findViewAt(const CPoint& where, CPoint& parentOrigin) const
{
    CPoint local = where - size.getTopLeft();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
    {
        CView* child = it->get();
        if (!child->isVisible() || !child->getMouseEnabled() ||
            !child->getViewSize().pointInside(local))
            continue;
        if (child->isContainer())
        {
            CPoint origin;
            if (CView* found = static_cast<CViewContainer*>(child)->findViewAt(local, origin))
            {
                parentOrigin = origin + size.getTopLeft();
                return found;
            }
            continue;
        }
        parentOrigin = size.getTopLeft();
        return child;
    }
    return nullptr;
}

} // namespace VSTGUI
