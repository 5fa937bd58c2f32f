// SPDX-License-Identifier: GPL-3.0-or-later
// CView: a rectangle of the editor that draws itself and may take mouse and key input. A view's
// size and the points of its mouse events are in its parent container's coordinates.
#pragma once

#include "base/CBitmap.h"
#include "base/VSTGUIBase.h"

#include <memory>

namespace VSTGUI {

class CDrawContext;
class CFrame;
class CViewContainer;

class CView
{
public:
    explicit CView(const CRect& size);
    virtual ~CView();
    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    virtual void draw(CDrawContext& context);
    /** Draws the part of the view inside `updateRect` (parent coordinates). */
    virtual void drawRect(CDrawContext& context, const CRect& updateRect);

    virtual CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons);
    /** The pointer came over the view, or left it (while no button is held). */
    virtual CMouseEventResult onMouseEntered(CPoint& where, const CButtonState& buttons);
    virtual CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons);
    /** True when the view used the wheel. `distance` is in wheel steps, positive upwards. */
    virtual bool onWheel(const CPoint& where, float distance, const CButtonState& buttons);
    /** 1 when the key was used, -1 when not. */
    virtual int32_t onKeyDown(VstKeyCode& key);
    virtual int32_t onKeyUp(VstKeyCode& key);

    /** Keyboard focus: called when the frame gives the view the keys and when it takes them away.
     */
    virtual void takeFocus() {}
    virtual void looseFocus() {}
    /** True for views the keyboard can operate: Tab stops at them, and a click that edits
     *  nothing gives them the keys. */
    virtual bool wantsFocus() const { return false; }
    /** True while the view shows its keyboard focus itself (a field being typed into), so the
     *  frame draws no focus ring around it. */
    virtual bool drawsOwnFocus() const { return false; }
    /** Called on the frame's animation timer while the view is registered with it. */
    virtual void onAnimationTimer() {}

    const CRect& getViewSize() const { return size; }
    virtual void setViewSize(const CRect& rect);
    CPoint getWidthHeight() const { return size.getSize(); }

    void setMouseEnabled(bool enabled) { mouseEnabled = enabled; }
    bool getMouseEnabled() const { return mouseEnabled; }
    void setTransparency(bool value) { transparent = value; }
    bool getTransparency() const { return transparent; }
    void setVisible(bool value);
    bool isVisible() const { return visible; }

    void setBackground(std::shared_ptr<CBitmap> bitmap) { background = std::move(bitmap); }
    const std::shared_ptr<CBitmap>& getBackground() const { return background; }

    /** Schedules a redraw of the whole view. */
    void invalid();
    /** Schedules a redraw of `rect` (parent coordinates). */
    void invalidRect(const CRect& rect);

    CViewContainer* getParentView() const { return parent; }
    /** The frame that shows this view, or null while it is not part of one. */
    CFrame* getFrame() const;
    /** Converts a point or rectangle from the parent's coordinates to the frame's. */
    CPoint localToFrame(const CPoint& point) const;
    CRect localToFrame(const CRect& rect) const;

    virtual bool isContainer() const { return false; }

private:
    friend class CViewContainer;
    friend class CFrame;

protected:
    CRect size;
    CViewContainer* parent = nullptr;
    bool mouseEnabled = true;
    bool transparent = false;
    bool visible = true;
    std::shared_ptr<CBitmap> background;
};

} // namespace VSTGUI
