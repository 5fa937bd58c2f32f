// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CTextEdit.h"

#include "base/CDrawContext.h"
#include "base/Utf8.h"
#include "views/CFrame.h"
#include "views/PopupPalette.h"

#include <cmath>
#include <cstdlib>

namespace VSTGUI {

namespace {

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

CTextEdit::CTextEdit(const CRect& size, CControlListener* listener, int32_t tag,
                     UTF8StringPtr initialText, std::shared_ptr<CBitmap> bitmap, int32_t style)
    : CParamDisplay(size, std::move(bitmap), style), text(initialText ? initialText : "")
{
    setListener(listener);
    setTag(tag);
}

void CTextEdit::setText(const std::string& value)
{
    text = value;
    invalid();
}

std::string CTextEdit::getDisplayText() const
{
    std::string shown;
    if (valueToString && valueToString(value, shown)) return shown;
    return text;
}

void CTextEdit::setValue(float newValue)
{
    CParamDisplay::setValue(newValue);
    std::string shown;
    if (valueToString && valueToString(value, shown)) text = shown;
}

void CTextEdit::beginTyping()
{
    if (typing) return;
    typing = true;
    typed = getDisplayText();
    anchor = 0;
    caret = typed.size();
    caretVisible = true;
    if (CFrame* frame = getFrame())
    {
        blinkStart = frame->getTicks();
        focusBeforeTyping = frame->getFocusView() != this ? frame->getFocusView() : nullptr;
        frame->setFocusView(this);
        frame->registerAnimation(this, kCaretTimerInterval);
    }
    invalid();
}

void CTextEdit::endTyping()
{
    if (!typing) return;
    typing = false;
    selectingWithMouse = false;
    if (CFrame* frame = getFrame())
    {
        frame->unregisterAnimation(this);
        if (frame->getFocusView() == this)
        {
            CView* back = nullptr;
            for (CView* view : frame->getFocusChain())
                if (view == focusBeforeTyping) back = view;
            frame->setFocusView(back);
        }
    }
    focusBeforeTyping = nullptr;
    invalid();
}

void CTextEdit::commitTyping()
{
    if (!typing) return;
    std::string entered = typed;
    endTyping();
    float newValue = 0.f;
    bool accepted = false;
    if (stringToValue)
        accepted = stringToValue(entered, newValue);
    else
    {
        char* end = nullptr;
        double parsed = std::strtod(entered.c_str(), &end);
        accepted = end != entered.c_str() && std::isfinite(parsed);
        newValue = static_cast<float>(parsed);
    }
    if (accepted && std::isfinite(newValue)) setValueByGesture(newValue);
    // A refused text needs nothing more: the display shows the unchanged value again.
}

void CTextEdit::cancelTyping()
{
    endTyping();
}

void CTextEdit::looseFocus()
{
    cancelTyping();
}

void CTextEdit::onAnimationTimer()
{
    CFrame* frame = getFrame();
    if (!frame || !typing) return;
    bool visibleNow = ((frame->getTicks() - blinkStart) / kCaretBlinkTime) % 2 == 0;
    if (visibleNow != caretVisible)
    {
        caretVisible = visibleNow;
        invalid();
    }
}

CCoord CTextEdit::textStartX(CCoord textWidth) const
{
    CRect rect = getTextRect();
    switch (horiAlign)
    {
    case kLeftText:
        return rect.left;
    case kRightText:
        return rect.right - textWidth;
    default:
        return rect.left + (rect.getWidth() - textWidth) / 2;
    }
}

void CTextEdit::draw(CDrawContext& context)
{
    if (!typing)
    {
        CParamDisplay::draw(context);
        return;
    }
    // While typing the field shows a box even when it is otherwise transparent.
    drawBack(context, true);
    context.setFont(font);
    glyphEdges.assign(1, 0);
    for (std::size_t i = nextPosition(0); i <= typed.size() && !typed.empty(); i = nextPosition(i))
    {
        glyphEdges.push_back(context.getStringWidth(typed.substr(0, i)));
        if (i == typed.size()) break;
    }
    CCoord width = glyphEdges.back();
    CCoord x0 = textStartX(width);
    auto edgeOf = [&](std::size_t bytePos) {
        std::size_t index = 0;
        for (std::size_t p = 0; p < bytePos && p < typed.size(); p = nextPosition(p))
            ++index;
        return x0 + glyphEdges[std::min(index, glyphEdges.size() - 1)];
    };
    CRect textRect = getTextRect();
    if (getSelectionStart() != getSelectionEnd())
    {
        context.setFillColor(kPopupHighlight);
        context.drawRect(CRect(edgeOf(getSelectionStart()), textRect.top + 2,
                               edgeOf(getSelectionEnd()), textRect.bottom - 2),
                         kDrawFilled);
    }
    context.setFontColor(fontColor);
    context.drawString(typed, CRect(x0, textRect.top, x0 + width + 1, textRect.bottom), kLeftText);
    if (caretVisible)
    {
        context.setFrameColor(fontColor);
        context.setLineWidth(1);
        CCoord x = std::floor(edgeOf(caret)) + 0.5;
        context.drawLine(CPoint(x, textRect.top + 3), CPoint(x, textRect.bottom - 3));
    }
}

std::size_t CTextEdit::positionAt(CCoord x) const
{
    if (glyphEdges.size() < 2) return x < size.getCenter().x ? 0 : typed.size();
    CCoord x0 = textStartX(glyphEdges.back());
    std::size_t position = 0;
    for (std::size_t i = 1; i < glyphEdges.size(); ++i)
    {
        if (x < x0 + (glyphEdges[i - 1] + glyphEdges[i]) / 2) break;
        position = nextPosition(position);
    }
    return position;
}

std::size_t CTextEdit::previousPosition(std::size_t position) const
{
    if (position == 0) return 0;
    --position;
    while (position > 0 && isContinuationByte(typed[position]))
        --position;
    return position;
}

std::size_t CTextEdit::nextPosition(std::size_t position) const
{
    if (position >= typed.size()) return typed.size();
    ++position;
    while (position < typed.size() && isContinuationByte(typed[position]))
        ++position;
    return position;
}

CMouseEventResult CTextEdit::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (!typing)
    {
        if (checkModifierClick(buttons)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
        beginTyping();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    caret = positionAt(where.x);
    if (!(buttons & kShift)) anchor = caret;
    selectingWithMouse = true;
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult CTextEdit::onMouseMoved(CPoint& where, const CButtonState& /*buttons*/)
{
    if (!typing || !selectingWithMouse) return kMouseEventNotHandled;
    std::size_t position = positionAt(where.x);
    if (position != caret)
    {
        caret = position;
        invalid();
    }
    return kMouseEventHandled;
}

CMouseEventResult CTextEdit::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    selectingWithMouse = false;
    return typing ? kMouseEventHandled : kMouseEventNotHandled;
}

void CTextEdit::replaceSelection(const std::string& insert)
{
    std::size_t start = getSelectionStart();
    typed.replace(start, getSelectionEnd() - start, insert);
    caret = anchor = start + insert.size();
}

int32_t CTextEdit::onKeyDown(VstKeyCode& key)
{
    if (!typing)
    {
        // A field that has the keys without typing (a Tab stop of its own) opens on Enter.
        if (key.character == 0 && key.modifier == 0 &&
            (key.virt == VKEY_RETURN || key.virt == VKEY_ENTER))
        {
            beginTyping();
            return 1;
        }
        return -1;
    }
    bool shift = key.modifier & MODIFIER_SHIFT;
    bool command = key.modifier & (MODIFIER_CONTROL | MODIFIER_COMMAND);
    if (command)
    {
        if (key.character == 'a' || key.character == 'A')
        {
            anchor = 0;
            caret = typed.size();
            invalid();
            return 1;
        }
        return -1; // host shortcuts keep working while typing
    }
    if (key.character == 0)
    {
        switch (key.virt)
        {
        case VKEY_RETURN:
        case VKEY_ENTER:
        case VKEY_TAB:
            commitTyping();
            return 1;
        case VKEY_ESCAPE:
            cancelTyping();
            return 1;
        case VKEY_LEFT:
        case VKEY_RIGHT:
        {
            // Without shift, a selection collapses to its side; else the caret steps.
            const bool left = key.virt == VKEY_LEFT;
            if (!shift && anchor != caret)
                caret = left ? getSelectionStart() : getSelectionEnd();
            else
                caret = left ? previousPosition(caret) : nextPosition(caret);
            break;
        }
        case VKEY_HOME:
        case VKEY_UP:
            caret = 0;
            break;
        case VKEY_END:
        case VKEY_DOWN:
            caret = typed.size();
            break;
        case VKEY_BACK:
            if (anchor == caret) anchor = previousPosition(caret);
            replaceSelection({});
            shift = true;
            break;
        case VKEY_DELETE:
            if (anchor == caret) anchor = nextPosition(caret);
            replaceSelection({});
            shift = true;
            break;
        case VKEY_SPACE:
            replaceSelection(" ");
            shift = true;
            break;
        default:
            return 1;
        }
        if (!shift) anchor = caret;
    }
    else if (key.character >= 0x20 && key.character != 0x7F)
    {
        std::string insert;
        appendUtf8(insert, static_cast<std::uint32_t>(key.character));
        replaceSelection(insert);
    }
    caretVisible = true;
    if (CFrame* frame = getFrame()) blinkStart = frame->getTicks();
    invalid();
    return 1;
}

} // namespace VSTGUI
