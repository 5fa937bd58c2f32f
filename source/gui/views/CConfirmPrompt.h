// SPDX-License-Identifier: GPL-3.0-or-later
// CConfirmPrompt: asks a yes-or-no question with two buttons. "No" is highlighted at first, so
// that nothing is done without a deliberate choice: Enter or Space chooses the highlighted
// button, Left, Right and Tab move between them, and Escape or a click outside the box answers
// no.
#pragma once

#include "views/CPromptView.h"

#include <functional>
#include <string>

namespace VSTGUI {

class CConfirmPrompt : public CPromptView
{
public:
    using Done = std::function<void(bool yes)>;

    CConfirmPrompt(const CRect& frameSize, UTF8StringPtr question, Done done,
                   UTF8StringPtr yesTitle = "Yes", UTF8StringPtr noTitle = "No");

    /** The buttons in frame coordinates. */
    CRect getYesRect() const;
    CRect getNoRect() const;
    bool isYesHighlighted() const { return yesHighlighted; }

    void drawBackgroundRect(CDrawContext& context, const CRect& updateRect) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;

private:
    void report(bool yes) override;
    void highlight(bool yes);

    Done done;
    std::string yesTitle;
    std::string noTitle;
    bool yesHighlighted = false;
};

} // namespace VSTGUI
