// SPDX-License-Identifier: GPL-3.0-or-later
#include "PresetNameView.h"

#include "base/CDrawContext.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

using namespace VSTGUI;

namespace {

// The plate's subtitle covers x 590..754, y 34..43 of the panel; the columns from 556 to 589
// between the product name and the subtitle hold nothing but the plate's fill.
constexpr CCoord kAreaLeft = 556;
constexpr CCoord kAreaTop = 31;
constexpr CCoord kAreaRight = 758;
constexpr CCoord kAreaBottom = 48;
constexpr CCoord kEmptyColumn = 558;
constexpr CCoord kEmptyWidth = 30;
/** The subtitle's right edge and letters. */
constexpr CCoord kTextRight = 754;
constexpr CCoord kFontSize = 10.5;
const CColor kTextColour{219, 227, 237, 255};

/** The text cut with an ellipsis to fit `width`. */
std::string fitted(CDrawContext& context, const std::string& text, CCoord width)
{
    if (context.getStringWidth(text) <= width) return text;
    std::string cut = text;
    while (!cut.empty())
    {
        cut.pop_back();
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80)
            cut.pop_back(); // whole UTF-8 characters only
        if (!cut.empty()) cut.pop_back();
        const std::string candidate = cut + "\xE2\x80\xA6";
        if (context.getStringWidth(candidate) <= width) return candidate;
    }
    return "";
}

} // namespace

CRect PresetNameView::subtitleArea()
{
    return CRect(kAreaLeft, kAreaTop, kAreaRight, kAreaBottom);
}

PresetNameView::PresetNameView(std::shared_ptr<CBitmap> panel)
    : CView(subtitleArea()), panel(std::move(panel))
{
    setMouseEnabled(false);
    setTransparency(true);
}

void PresetNameView::setText(const std::string& newText)
{
    if (newText == text) return;
    text = newText;
    invalid();
}

void PresetNameView::draw(CDrawContext& context)
{
    if (text.empty()) return;
    if (panel)
    {
        for (CCoord x = size.left; x < size.right; x += kEmptyWidth)
        {
            const CRect tile(x, size.top, std::min(size.right, x + kEmptyWidth), size.bottom);
            context.drawBitmap(*panel, tile, CPoint(kEmptyColumn, size.top));
        }
    }
    CFontDesc font;
    font.size = kFontSize;
    context.setFont(font);
    context.setFontColor(kTextColour);
    const CRect line(size.left + 2, size.top, kTextRight, size.bottom - 1);
    context.drawString(fitted(context, text, line.getWidth()), line, kRightText);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
