// SPDX-License-Identifier: GPL-3.0-or-later
// CTextEdit: a value display that can be typed into. A click opens typing with the whole text
// selected and a blinking caret; the field holds the keyboard focus only while typing. Enter
// commits through the string-to-value function (the editor sets the parameter's own reading);
// a refused text leaves the value as it was and the display shows it again. Escape and a click
// elsewhere cancel. Typing opened from the keyboard (Enter on the control the field shows)
// hands the keys back to that control when it ends.
#pragma once

#include "views/CParamDisplay.h"

#include <vector>

namespace VSTGUI {

class CTextEdit : public CParamDisplay
{
public:
    using StringToValueFunction = std::function<bool(const std::string& text, float& value)>;

    /** Caret blink half period. */
    static constexpr std::uint64_t kCaretBlinkTime = 500;
    /** How often the caret's phase is looked at. */
    static constexpr std::uint32_t kCaretTimerInterval = 100;

    CTextEdit(const CRect& size, CControlListener* listener = nullptr, int32_t tag = -1,
              UTF8StringPtr text = nullptr, std::shared_ptr<CBitmap> background = nullptr,
              int32_t style = 0);

    /** The title shown while no value-to-string function is set. */
    void setText(const std::string& value);
    const std::string& getText() const { return text; }
    void setStringToValueFunction(StringToValueFunction function)
    {
        stringToValue = std::move(function);
    }

    std::string getDisplayText() const override;
    void setValue(float value) override;

    bool isTyping() const { return typing; }
    const std::string& getTypedText() const { return typed; }
    /** Selected bytes [start, end) of the typed text. */
    std::size_t getSelectionStart() const { return std::min(anchor, caret); }
    std::size_t getSelectionEnd() const { return std::max(anchor, caret); }
    std::size_t getCaretPosition() const { return caret; }

    /** Opens typing as a click does. */
    void beginTyping();
    /** Commits the typed text (Enter). */
    virtual void commitTyping();
    /** Drops the typed text (Escape). */
    virtual void cancelTyping();

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;
    void looseFocus() override;
    void onAnimationTimer() override;
    bool drawsOwnFocus() const override { return typing; }

protected:
    /** Closes typing without looking at the text; the keys go back where they came from. */
    void endTyping();

private:
    void replaceSelection(const std::string& insert);
    std::size_t positionAt(CCoord x) const;
    CCoord textStartX(CCoord textWidth) const;
    std::size_t previousPosition(std::size_t position) const;
    std::size_t nextPosition(std::size_t position) const;

    std::string text;
    StringToValueFunction stringToValue;
    bool typing = false;
    bool selectingWithMouse = false;
    std::string typed;
    std::size_t caret = 0;
    std::size_t anchor = 0;
    bool caretVisible = true;
    std::uint64_t blinkStart = 0;
    // The view that had the keys when typing began; compared, never followed, as it may be gone.
    const CView* focusBeforeTyping = nullptr;
    // Text widths measured while drawing, so that clicks land on the right character.
    mutable std::vector<CCoord> glyphEdges;
};

} // namespace VSTGUI
