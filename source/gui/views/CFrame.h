// SPDX-License-Identifier: GPL-3.0-or-later
// CFrame: the root of an editor's view tree. It takes the platform frame's drawing requests and
// input and hands them to the views: mouse events to the view under the pointer (which keeps
// them until the button is released), keys to an open popup or to the view with the keyboard
// focus. Popups and panels that float over the editor are overlays, owned by the frame.
//
// Keyboard: Tab and Shift-Tab move the focus through the views that want it, in reading order
// (rows from the top, each from the left); Enter on a control opens the text field that shows the
// same tag; Escape hands the keys back. A click on such a view that edits nothing gives it the
// focus; an edit made with the mouse, a click elsewhere and the host taking the keyboard take it
// away. The frame holds the platform's keyboard focus only while a view has the focus or a modal
// overlay is open, so that the host's shortcuts work whenever the editor does not need the keys.
// The focused view is marked by a thin ring.
//
// Everything runs on the thread that owns the editor. The frame asks its platform frame for a
// timer only while a view animates, so an idle editor costs nothing.
#pragma once

#include "base/IPlatformFrame.h"
#include "views/CViewContainer.h"

#include <memory>
#include <vector>

namespace VSTGUI {

class CControl;
class CFrame;

/** What views may ask of the editor that shows them. */
class VSTGUIEditorInterface
{
public:
    virtual ~VSTGUIEditorInterface() = default;
    /** The host's knob mode (CKnobMode). */
    virtual int32_t getKnobMode() const = 0;
};

/** Watches the pointer over a frame. */
class IMouseObserver
{
public:
    virtual ~IMouseObserver() = default;
    /** The pointer came over `view` or left it (a view of the tree, not an overlay). */
    virtual void onMouseEntered(CView* /*view*/, CFrame* /*frame*/) {}
    virtual void onMouseExited(CView* /*view*/, CFrame* /*frame*/) {}
    /** Sees a click on the editor (not on a popup or panel) before the views do; answer
     *  anything but kMouseEventNotHandled to take it from them. */
    virtual CMouseEventResult onMouseDown(CFrame* /*frame*/, const CPoint& /*where*/,
                                          const CButtonState& /*buttons*/)
    {
        return kMouseEventNotHandled;
    }
};

class CFrame : public CViewContainer, public IPlatformFrameCallback
{
public:
    /** Timer interval of smooth animations (fades). */
    static constexpr std::uint32_t kAnimationInterval = 16;

    explicit CFrame(const CRect& size, VSTGUIEditorInterface* editor = nullptr);
    ~CFrame() override;

    CFrame* asFrame() const override { return const_cast<CFrame*>(this); }

    /** The window that shows the frame (not owned); null while the editor is closed. */
    void setPlatformFrame(IPlatformFrame* platformFrame);
    IPlatformFrame* getPlatformFrame() const { return platformFrame; }
    VSTGUIEditorInterface* getEditor() const { return editor; }
    int32_t getKnobMode() const { return editor ? editor->getKnobMode() : kCircularMode; }

    /** Redraw requests in frame coordinates; the union since the last clearDirtyRect is kept. */
    void invalidRect(const CRect& rect);
    const CRect& getDirtyRect() const { return dirtyRect; }
    void clearDirtyRect() { dirtyRect = CRect(); }

    /** Draws `updateRect` of the tree, the focus ring and the overlays. */
    void drawRect(CDrawContext& context, const CRect& updateRect) override;

    //--- input, in frame coordinates; the platform frame and tests call these
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    /** The pointer left the editor's window. */
    CMouseEventResult onMouseExited(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;
    int32_t onKeyUp(VstKeyCode& key) override;

    /** Gives `view` the keys (null: nobody). The old focus view is told first. */
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }
    /** Moves the focus to the next (or previous) view of the focus chain after `oldFocus`,
     *  wrapping around; from null to the first (or last). False when no view wants it. */
    bool advanceNextFocusView(CView* oldFocus, bool reverse = false);
    /** The views Tab stops at, in reading order: visible, mouse-enabled views of the tree that
     *  want the focus, and the text fields whose tag no such view shares. */
    std::vector<CView*> getFocusChain() const;
    void setFocusDrawingEnabled(bool enabled);
    bool focusDrawingEnabled() const { return focusDrawing; }
    void setFocusColor(const CColor& color);
    const CColor& getFocusColor() const { return focusColor; }
    void setFocusWidth(CCoord width);
    CCoord getFocusWidth() const { return focusWidth; }
    /** The area the focus ring of `view` covers, in frame coordinates. */
    CRect getFocusRingRect(const CView* view) const;

    /** The view of the tree under the pointer, null over nothing or while a popup is open. */
    CView* getViewUnderMouse() const { return hoverView; }
    void registerMouseObserver(IMouseObserver* observer);
    void unregisterMouseObserver(IMouseObserver* observer);

    /** True when `view` is part of the tree (not an overlay). */
    bool isInTree(const CView* view) const;
    /** A view of the tree is going away: nothing may keep pointing at it. */
    void onViewRemoved(CView* view);
    /** A control's edit begins; made with the mouse, it hands the keys back to the host. */
    void onControlEdit(CControl* control);

    /** Shows `view` over the editor and takes ownership. A modal overlay receives every mouse
     *  event and key until it is removed. */
    void addOverlay(CView* view, bool modal);
    /** Removes and deletes an overlay; safe to call from the overlay's own event handler. */
    void removeOverlay(CView* view);
    std::size_t getNbOverlays() const { return overlays.size(); }
    CView* getOverlay(std::size_t index) const
    {
        return index < overlays.size() ? overlays[index].view.get() : nullptr;
    }

    /** Calls view->onAnimationTimer() at least every `interval` ms until unregistered; the
     *  timer runs at the shortest interval asked for. */
    void registerAnimation(CView* view, std::uint32_t interval = kAnimationInterval);
    void unregisterAnimation(CView* view);
    bool isAnimating() const { return !animations.empty(); }
    /** Milliseconds of a monotonic clock (the platform frame's, when there is one). */
    std::uint64_t getTicks() const;

    //--- IPlatformFrameCallback
    void platformDrawRect(CDrawContext& context, const CRect& updateRect) override;
    CMouseEventResult platformOnMouseDown(CPoint where, const CButtonState& buttons) override;
    CMouseEventResult platformOnMouseMoved(CPoint where, const CButtonState& buttons) override;
    CMouseEventResult platformOnMouseUp(CPoint where, const CButtonState& buttons) override;
    void platformOnMouseExited() override;
    bool platformOnMouseWheel(CPoint where, float distance, const CButtonState& buttons) override;
    bool platformOnKeyDown(const VstKeyCode& key) override;
    bool platformOnKeyUp(const VstKeyCode& key) override;
    void platformOnTimer() override;
    /** Typing ends and the focus goes, as on a click outside; the focus is not asked back. */
    void platformOnFocusLost() override;

private:
    struct Overlay
    {
        std::unique_ptr<CView> view;
        bool modal;
    };
    struct Animation
    {
        CView* view;
        std::uint32_t interval;
    };

    CView* modalOverlay() const;
    void updateTimer();
    void updatePlatformFocus();
    void updateHover(const CPoint& where, const CButtonState& buttons);
    void setHoverView(CView* view, CPoint where, const CButtonState& buttons);
    int32_t onNavigationKey(const VstKeyCode& key);
    void invalidFocusRing(const CView* view);
    void collectGarbage();
    bool isRegistered(const CView* view) const;

    VSTGUIEditorInterface* editor;
    IPlatformFrame* platformFrame = nullptr;
    CRect dirtyRect;
    CView* focusView = nullptr;
    CView* mouseView = nullptr;
    CPoint mouseViewOrigin;
    CView* hoverView = nullptr;
    // A click on a view that wants the focus gives it when the click edited nothing.
    CView* focusOnRelease = nullptr;
    bool editedByMouse = false;
    int handlingKeys = 0;
    bool platformHasFocus = false;
    bool focusDrawing = true;
    CColor focusColor{130, 190, 255, 230};
    CCoord focusWidth = 1.5;
    std::vector<IMouseObserver*> mouseObservers;
    std::vector<Overlay> overlays;
    std::vector<std::unique_ptr<CView>> removedOverlays;
    std::vector<Animation> animations;
    std::uint32_t timerInterval = 0;
};

} // namespace VSTGUI
