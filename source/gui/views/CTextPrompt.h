// SPDX-License-Identifier: GPL-3.0-or-later
// CTextPrompt: asks for a line of text: a title and a text field that opens with the initial
// text selected. Enter accepts the text, Escape or a click outside the box cancels.
#pragma once

#include "views/CPromptView.h"

#include <functional>
#include <string>

namespace VSTGUI {

class CTextEdit;

class CTextPrompt : public CPromptView
{
public:
    using Done = std::function<void(bool accepted, const std::string& text)>;

    CTextPrompt(const CRect& frameSize, UTF8StringPtr title, UTF8StringPtr initialText, Done done);

    /** Starts typing; call once the prompt is an overlay of its frame. */
    void open();
    CTextEdit* getField() const { return field; }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;

private:
    class Field;
    friend class Field;

    void report(bool accepted) override;

    CTextEdit* field = nullptr;
    Done done;
    std::string accepted;
};

} // namespace VSTGUI
