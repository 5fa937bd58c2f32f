// SPDX-License-Identifier: GPL-3.0-or-later
// CViewContainer: a view that owns child views. Children are placed in the container's own
// coordinates (its top left corner is 0, 0), drawn in the order they were added and clipped to
// the container.
#pragma once

#include "views/CView.h"

#include <memory>
#include <vector>

namespace VSTGUI {

class CViewContainer : public CView
{
public:
    explicit CViewContainer(const CRect& size);
    ~CViewContainer() override;

    /** Adds `view` on top of the others and takes ownership of it. */
    void addView(CView* view);
    /** Removes `view`; deletes it when `withForget` is true, else hands ownership back. */
    void removeView(CView* view, bool withForget = true);
    std::size_t getNbViews() const { return children.size(); }
    CView* getView(std::size_t index) const
    {
        return index < children.size() ? children[index].get() : nullptr;
    }

    void setBackgroundColor(const CColor& color) { backgroundColor = color; }
    const CColor& getBackgroundColor() const { return backgroundColor; }
    void setBackgroundColorDrawStyle(CDrawStyle style) { backgroundColorDrawStyle = style; }
    CDrawStyle getBackgroundColorDrawStyle() const { return backgroundColorDrawStyle; }

    void drawRect(CDrawContext& context, const CRect& updateRect) override;
    /** The background: colour (unless transparent), then bitmap. */
    virtual void drawBackgroundRect(CDrawContext& context, const CRect& updateRect);

    /** The topmost visible, mouse-enabled view under `where` (this container's parent
     *  coordinates), searched depth first; `parentOrigin` receives the frame position of the
     *  found view's parent. Null when no child is hit. */
    CView* findViewAt(const CPoint& where, CPoint& parentOrigin) const;

    bool isContainer() const override { return true; }
    /** This container as the frame, when it is one. */
    virtual CFrame* asFrame() const { return nullptr; }

protected:
    std::vector<std::unique_ptr<CView>> children;
    CColor backgroundColor = kBlackCColor;
    CDrawStyle backgroundColorDrawStyle = kDrawFilledAndStroked;
};

} // namespace VSTGUI
