// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CTextPrompt.h"

#include "views/CTextEdit.h"
#include "views/PopupPalette.h"

namespace VSTGUI {

namespace {

constexpr CCoord kFieldHeight = 24;
constexpr CColor kFieldBack{20, 20, 24, 255};

} // namespace

/** The prompt's text field: its typing ends the prompt. */
class CTextPrompt::Field : public CTextEdit
{
public:
    Field(CTextPrompt& owner, const CRect& rect, UTF8StringPtr text)
        : CTextEdit(rect, nullptr, -1, text), owner(owner)
    {}

    void commitTyping() override
    {
        if (!isTyping()) return;
        owner.accepted = getTypedText();
        endTyping();
        owner.finish(true);
    }
    void cancelTyping() override
    {
        if (!isTyping()) return;
        endTyping();
        owner.finish(false);
    }

private:
    CTextPrompt& owner;
};

CTextPrompt::CTextPrompt(const CRect& frameSize, UTF8StringPtr title, UTF8StringPtr initialText,
                         Done done)
    : CPromptView(frameSize, title, kFieldHeight), done(std::move(done))
{
    field = new Field(*this, getContentRect(), initialText);
    CFontDesc fieldFont;
    fieldFont.size = 12;
    field->setFont(fieldFont);
    field->setFontColor(kWhiteCColor);
    field->setBackColor(kFieldBack);
    field->setFrameColor(kPopupFrame);
    field->setHoriAlign(kLeftText);
    field->setTextInset(CPoint(5, 0));
    addView(field);
}

void CTextPrompt::open()
{
    field->beginTyping();
}

CMouseEventResult CTextPrompt::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (field->getViewSize().pointInside(where)) return field->onMouseDown(where, buttons);
    return CPromptView::onMouseDown(where, buttons);
}

CMouseEventResult CTextPrompt::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    return field->onMouseMoved(where, buttons);
}

CMouseEventResult CTextPrompt::onMouseUp(CPoint& where, const CButtonState& buttons)
{
    return field->onMouseUp(where, buttons);
}

int32_t CTextPrompt::onKeyDown(VstKeyCode& key)
{
    // Tab would end the typing as if accepted: a question has nowhere else to go.
    if (key.character == 0 && key.virt == VKEY_TAB) return 1;
    if (field->isTyping()) field->onKeyDown(key);
    if (!isFinished() && !field->isTyping()) return CPromptView::onKeyDown(key);
    return 1;
}

void CTextPrompt::report(bool wasAccepted)
{
    // Once: the answer goes out, and nothing the asker captured is kept alive by the prompt.
    Done answer = std::move(done);
    done = nullptr;
    if (answer) answer(wasAccepted, wasAccepted ? accepted : std::string());
}

} // namespace VSTGUI
