// SPDX-License-Identifier: GPL-3.0-or-later
// CPromptView: a question the editor asks inside its own window (no native dialog, which an
// embedded editor cannot own): a modal overlay that dims the panel and shows a box with a title
// line. A click outside the box or Escape cancels. A prompt ends once, removing itself from its
// frame before it reports, so that the report may open the next prompt.
#pragma once

#include "views/CViewContainer.h"

#include <string>

namespace VSTGUI {

class CPromptView : public CViewContainer
{
public:
    /** A prompt over a frame of `frameSize` whose box holds `contentHeight` below the title. */
    CPromptView(const CRect& frameSize, UTF8StringPtr title, CCoord contentHeight);

    const std::string& getTitle() const { return title; }
    /** The box in frame coordinates. */
    const CRect& getBoxRect() const { return box; }
    bool isFinished() const { return finished; }
    /** Ends the prompt as declined (a closing editor does so). */
    void cancel() { finish(false); }

    void drawBackgroundRect(CDrawContext& context, const CRect& updateRect) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;

    static constexpr CCoord kTitleHeight = 30;
    static constexpr CCoord kMargin = 12;

protected:
    /** The area below the title, in frame coordinates. */
    CRect getContentRect() const;
    /** Removes the prompt from its frame and reports, the first time only. */
    void finish(bool accepted);
    /** What the prompt tells its asker. */
    virtual void report(bool accepted) = 0;

    CFontDesc font;

private:
    std::string title;
    CRect box;
    bool finished = false;
};

} // namespace VSTGUI
