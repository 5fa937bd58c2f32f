// SPDX-License-Identifier: GPL-3.0-or-later
// CParamDisplay: a control that shows its value as text in a box: background, frame, text with
// font, colour, alignment and inset. The text comes from a value-to-string function when one is
// set (the editor sets the parameter's own display string), else from the value.
#pragma once

#include "views/CControl.h"

#include <functional>
#include <string>

namespace VSTGUI {

enum CParamDisplayStyle : int32_t
{
    k3DIn = 1 << 0,
    k3DOut = 1 << 1,
    kNoTextStyle = 1 << 2,
    kNoDrawStyle = 1 << 3,
    kShadowText = 1 << 4,
    kNoFrame = 1 << 5,
    kRoundRectStyle = 1 << 6,
};

class CParamDisplay : public CControl
{
public:
    using ValueToStringFunction = std::function<bool(float value, std::string& text)>;

    explicit CParamDisplay(const CRect& size, std::shared_ptr<CBitmap> background = nullptr,
                           int32_t style = 0);

    void setFont(const CFontDesc& value) { font = value; }
    const CFontDesc& getFont() const { return font; }
    void setFontColor(const CColor& value) { fontColor = value; }
    const CColor& getFontColor() const { return fontColor; }
    void setBackColor(const CColor& value) { backColor = value; }
    const CColor& getBackColor() const { return backColor; }
    void setFrameColor(const CColor& value) { frameColor = value; }
    const CColor& getFrameColor() const { return frameColor; }
    void setShadowColor(const CColor& value) { shadowColor = value; }
    void setFrameWidth(CCoord value) { frameWidth = value; }
    void setRoundRectRadius(CCoord value) { roundRectRadius = value; }
    void setStyle(int32_t value) { style = value; }
    int32_t getStyle() const { return style; }
    void setHoriAlign(CHoriTxtAlign value) { horiAlign = value; }
    CHoriTxtAlign getHoriAlign() const { return horiAlign; }
    void setTextInset(const CPoint& value) { textInset = value; }
    void setPrecision(int32_t value) { precision = value; }
    int32_t getPrecision() const { return precision; }

    void setValueToStringFunction(ValueToStringFunction function);
    /** The text shown for the current value. */
    virtual std::string getDisplayText() const;

    void draw(CDrawContext& context) override;
    /** A read-out is reached through the control it shows (see CFrame's focus chain). */
    bool wantsFocus() const override { return false; }

protected:
    void drawBack(CDrawContext& context, bool force = false) const;
    /** The rectangle the text is placed in. */
    CRect getTextRect() const;
    void drawText(CDrawContext& context, const std::string& text) const;

    CFontDesc font;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kBlackCColor;
    CColor frameColor = kBlackCColor;
    CColor shadowColor = kRedCColor;
    CCoord frameWidth = 1;
    CCoord roundRectRadius = 6;
    int32_t style = 0;
    CHoriTxtAlign horiAlign = kCenterText;
    CPoint textInset;
    int32_t precision = 2;
    ValueToStringFunction valueToString;
};

} // namespace VSTGUI
