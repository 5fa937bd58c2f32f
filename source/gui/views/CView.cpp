// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CView.h"

#include "base/CDrawContext.h"
#include "views/CFrame.h"
#include "views/CViewContainer.h"

namespace VSTGUI {

CView::CView(const CRect& size) : size(size) {}

CView::~CView() = default;

void CView::draw(CDrawContext& context)
{
    if (background) context.drawBitmap(*background, size);
}

void CView::drawRect(CDrawContext& context, const CRect& /*updateRect*/)
{
    draw(context);
}

CMouseEventResult CView::onMouseDown(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return kMouseEventNotHandled;
}

CMouseEventResult CView::onMouseMoved(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return kMouseEventNotHandled;
}

CMouseEventResult CView::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return kMouseEventNotHandled;
}

CMouseEventResult CView::onMouseEntered(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return kMouseEventNotHandled;
}

CMouseEventResult CView::onMouseExited(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    return kMouseEventNotHandled;
}

bool CView::onWheel(const CPoint& /*where*/, float /*distance*/, const CButtonState& /*buttons*/)
{
    return false;
}

int32_t CView::onKeyDown(VstKeyCode& /*key*/)
{
    return -1;
}

int32_t CView::onKeyUp(VstKeyCode& /*key*/)
{
    return -1;
}

void CView::setViewSize(const CRect& rect)
{
    invalid();
    size = rect;
    invalid();
}

void CView::setVisible(bool value)
{
    if (visible == value) return;
    visible = value;
    invalidRect(size);
}

void CView::invalid()
{
    invalidRect(size);
}

void CView::invalidRect(const CRect& rect)
{
    if (CFrame* frame = getFrame()) frame->invalidRect(localToFrame(rect));
}

CFrame* CView::getFrame() const
{
    const CView* view = this;
    while (view->parent)
        view = view->parent;
    return view->isContainer() ? static_cast<const CViewContainer*>(view)->asFrame() : nullptr;
}

CPoint CView::localToFrame(const CPoint& point) const
{
    CPoint result = point;
    for (const CViewContainer* container = parent; container; container = container->parent)
        result = result + container->getViewSize().getTopLeft();
    return result;
}

CRect CView::localToFrame(const CRect& rect) const
{
    CPoint topLeft = localToFrame(rect.getTopLeft());
    return CRect(topLeft, rect.getSize());
}

} // namespace VSTGUI
