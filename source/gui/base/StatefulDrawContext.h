// SPDX-License-Identifier: GPL-3.0-or-later
// StatefulDrawContext: the part of a CDrawContext that every platform keeps alike, the colours,
// line width, global alpha and font the views set. A platform's context reads `state` when it
// draws and saves and restores it together with its own graphics state.
#pragma once

#include "base/CDrawContext.h"

namespace VSTGUI {

class StatefulDrawContext : public CDrawContext
{
public:
    void setFillColor(const CColor& color) override { state.fill = color; }
    void setFrameColor(const CColor& color) override { state.frame = color; }
    void setLineWidth(CCoord width) override { state.lineWidth = width; }
    void setGlobalAlpha(float alpha) override { state.alpha = alpha; }
    void setFont(const CFontDesc& font) override { state.font = font; }
    void setFontColor(const CColor& color) override { state.fontColor = color; }

protected:
    struct State
    {
        CColor fill = kWhiteCColor;
        CColor frame = kBlackCColor;
        CColor fontColor = kWhiteCColor;
        CCoord lineWidth = 1;
        float alpha = 1.f;
        CFontDesc font;
    };

    State state;
};

} // namespace VSTGUI
