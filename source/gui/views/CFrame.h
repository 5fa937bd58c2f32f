// SPDX-License-Identifier: GPL-3.0-or-later
// CFrame: the root of an editor's view tree. It takes the platform frame's drawing requests and
// input and hands them to the views: mouse events to the view under the pointer (which keeps
// them until the button is released), keys to the view with the keyboard focus or to an open
// popup. Popups and panels that float over the editor are overlays, owned by the frame.
//
// Everything runs on the thread that owns the editor. The frame asks its platform frame for a
// timer only while a view animates, so an idle editor costs nothing.
#pragma once

#include "base/IPlatformFrame.h"
#include "views/CViewContainer.h"

#include <memory>
#include <vector>

namespace VSTGUI {

/** What views may ask of the editor that shows them. */
class VSTGUIEditorInterface
{
public:
    virtual ~VSTGUIEditorInterface() = default;
    /** The host's knob mode (CKnobMode). */
    virtual int32_t getKnobMode() const = 0;
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

    /** Draws `updateRect` of the tree and the overlays. */
    void drawRect(CDrawContext& context, const CRect& updateRect) override;

    //--- input, in frame coordinates; the platform frame and tests call these
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;
    int32_t onKeyUp(VstKeyCode& key) override;

    /** Gives `view` the keys (null: nobody). The old focus view is told first. */
    void setFocusView(CView* view);
    CView* getFocusView() const { return focusView; }

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
    bool platformOnMouseWheel(CPoint where, float distance, const CButtonState& buttons) override;
    bool platformOnKeyDown(const VstKeyCode& key) override;
    bool platformOnKeyUp(const VstKeyCode& key) override;
    void platformOnTimer() override;
    /** Typing ends as on a click outside; the focus is not asked back. */
    void platformOnFocusLost() override;

private:
    struct Overlay
    {
        std::unique_ptr<CView> view;
        bool modal;
    };

    CView* modalOverlay() const;
    void updateTimer();
    void collectGarbage();

    VSTGUIEditorInterface* editor;
    IPlatformFrame* platformFrame = nullptr;
    CRect dirtyRect;
    CView* focusView = nullptr;
    CView* mouseView = nullptr;
    CPoint mouseViewOrigin;
    std::vector<Overlay> overlays;
    std::vector<std::unique_ptr<CView>> removedOverlays;
    struct Animation
    {
        CView* view;
        std::uint32_t interval;
    };
    bool isRegistered(const CView* view) const;

    std::vector<Animation> animations;
    std::uint32_t timerInterval = 0;
};

} // namespace VSTGUI
