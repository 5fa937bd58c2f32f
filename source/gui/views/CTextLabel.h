// SPDX-License-Identifier: GPL-3.0-or-later
// CTextLabel: one line of text that an editor's delegate places on the panel, such as a name
// shown on a plate of the artwork. It draws only its text (and a background colour when given
// one); text wider than the label ends in an ellipsis. It takes no mouse input, so clicks reach
// what lies beneath.
#pragma once

#include "views/CView.h"

#include <string>

namespace VSTGUI {

class CTextLabel : public CView
{
public:
    explicit CTextLabel(const CRect& size, UTF8StringPtr text = nullptr);

    /** Sets the text and redraws the label. */
    void setText(const std::string& value);
    const std::string& getText() const { return text; }
    void setFont(const CFontDesc& value);
    const CFontDesc& getFont() const { return font; }
    void setFontColor(const CColor& value);
    const CColor& getFontColor() const { return fontColor; }
    /** The colour behind the text; fully transparent (the default) draws none. */
    void setBackColor(const CColor& value);
    const CColor& getBackColor() const { return backColor; }
    void setHoriAlign(CHoriTxtAlign value);
    CHoriTxtAlign getHoriAlign() const { return horiAlign; }
    /** Space kept free left and right of the text. */
    void setTextInset(CCoord value);

    /** The text as drawn: shortened with an ellipsis where it does not fit. */
    std::string getShownText(CDrawContext& context) const;

    void draw(CDrawContext& context) override;

private:
    std::string text;
    CFontDesc font;
    CColor fontColor = kWhiteCColor;
    CColor backColor = kTransparentCColor;
    CHoriTxtAlign horiAlign = kCenterText;
    CCoord textInset = 0;
};

} // namespace VSTGUI
