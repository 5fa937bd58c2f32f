// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/COptionMenu.h"

#include "base/CDrawContext.h"
#include "views/CFrame.h"

#include <cmath>

namespace VSTGUI {

namespace {

constexpr CCoord kRowPadding = 8;
constexpr CCoord kCheckWidth = 18;
constexpr CCoord kSidePadding = 8;
constexpr CColor kPopupBack{40, 40, 44, 255};
constexpr CColor kPopupFrame{160, 160, 170, 255};
constexpr CColor kPopupHighlight{60, 110, 200, 255};

} // namespace

/** The open list: a modal overlay of the frame that reports back to its menu. */
class COptionMenu::Popup : public CView
{
public:
    Popup(COptionMenu& owner, const CRect& size, CCoord rowHeight)
        : CView(size), menu(&owner), rowHeight(rowHeight), highlighted(owner.getCurrentIndex())
    {}
    ~Popup() override
    {
        if (menu && menu->popupView == this) menu->popupView = nullptr;
    }
    /** The menu is going away before the popup. */
    void detach() { menu = nullptr; }

    int32_t getHighlighted() const { return highlighted; }

    void draw(CDrawContext& context) override
    {
        context.setFillColor(kPopupBack);
        context.setFrameColor(kPopupFrame);
        context.setLineWidth(1);
        context.drawRect(CRect(size).inset(0.5, 0.5), kDrawFilledAndStroked);
        context.setFont(menu->getFont());
        int32_t current = menu->getCurrentIndex();
        for (int32_t i = 0; i < menu->getNbEntries(); ++i)
        {
            CRect row = rowRect(i);
            if (i == highlighted)
            {
                context.setFillColor(kPopupHighlight);
                context.drawRect(CRect(row).inset(1, 0), kDrawFilled);
            }
            if (i == current)
            {
                // A check mark drawn as two strokes, independent of the font's glyphs.
                context.setFrameColor(kWhiteCColor);
                context.setLineWidth(2);
                CCoord cx = row.left + kCheckWidth / 2 + 1;
                CCoord cy = row.top + row.getHeight() / 2;
                context.drawLine(CPoint(cx - 4, cy), CPoint(cx - 1, cy + 3));
                context.drawLine(CPoint(cx - 1, cy + 3), CPoint(cx + 4, cy - 4));
            }
            context.setFontColor(kWhiteCColor);
            CRect textRect = row;
            textRect.left += kCheckWidth + 2;
            context.drawString(menu->entries[static_cast<std::size_t>(i)], textRect, kLeftText);
        }
    }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& /*buttons*/) override
    {
        int32_t row = rowAt(where);
        if (row >= 0)
            choose(row);
        else
            close();
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& /*buttons*/) override
    {
        int32_t row = rowAt(where);
        if (row >= 0) setHighlighted(row);
        return kMouseEventHandled;
    }

    int32_t onKeyDown(VstKeyCode& key) override
    {
        int32_t count = menu->getNbEntries();
        if (key.character != 0) return 1;
        switch (key.virt)
        {
        case VKEY_UP:
            setHighlighted(std::max(0, highlighted - 1));
            break;
        case VKEY_DOWN:
            setHighlighted(std::min(count - 1, highlighted + 1));
            break;
        case VKEY_HOME:
        case VKEY_PAGEUP:
            setHighlighted(0);
            break;
        case VKEY_END:
        case VKEY_PAGEDOWN:
            setHighlighted(count - 1);
            break;
        case VKEY_RETURN:
        case VKEY_ENTER:
        case VKEY_SPACE:
            if (highlighted >= 0) choose(highlighted);
            break;
        case VKEY_ESCAPE:
        case VKEY_TAB:
            close();
            break;
        default:
            break;
        }
        return 1; // the open list has the keyboard
    }

private:
    CRect rowRect(int32_t index) const
    {
        CCoord top = size.top + 2 + rowHeight * index;
        return CRect(size.left, top, size.right, top + rowHeight);
    }
    int32_t rowAt(const CPoint& where) const
    {
        if (!size.pointInside(where)) return -1;
        auto row = static_cast<int32_t>(std::floor((where.y - size.top - 2) / rowHeight));
        return row >= 0 && row < menu->getNbEntries() ? row : -1;
    }
    void setHighlighted(int32_t index)
    {
        if (index == highlighted) return;
        if (highlighted >= 0) invalidRect(rowRect(highlighted));
        highlighted = index;
        if (highlighted >= 0) invalidRect(rowRect(highlighted));
    }
    void choose(int32_t index)
    {
        COptionMenu* owner = menu;
        close();
        owner->selectEntry(index);
    }
    void close()
    {
        menu->popupView = nullptr;
        if (CFrame* frame = menu->getFrame()) frame->removeOverlay(this);
    }

    COptionMenu* menu;
    CCoord rowHeight;
    int32_t highlighted;
};

COptionMenu::COptionMenu(const CRect& size, CControlListener* listener, int32_t tag,
                         std::shared_ptr<CBitmap> bitmap, int32_t style)
    : CParamDisplay(size, std::move(bitmap), style)
{
    setListener(listener);
    setTag(tag);
    defaultValue = 0.f;
    vmax = 0.f;
}

COptionMenu::~COptionMenu()
{
    if (popupView)
    {
        Popup* open = popupView;
        popupView = nullptr;
        open->detach();
        if (CFrame* frame = getFrame()) frame->removeOverlay(open);
    }
}

void COptionMenu::addEntry(const std::string& title)
{
    entries.push_back(title);
    vmax = std::max(vmax, float(entries.size() - 1));
    invalid();
}

void COptionMenu::removeAllEntry()
{
    entries.clear();
    invalid();
}

std::string COptionMenu::getEntry(int32_t index) const
{
    return index >= 0 && index < getNbEntries() ? entries[static_cast<std::size_t>(index)]
                                                : std::string();
}

int32_t COptionMenu::getCurrentIndex() const
{
    if (entries.empty()) return -1;
    auto index = static_cast<int32_t>(std::lround(value - vmin));
    return std::min(getNbEntries() - 1, std::max(0, index));
}

void COptionMenu::selectEntry(int32_t index)
{
    if (index < 0 || index >= getNbEntries()) return;
    setValueByGesture(vmin + float(index));
}

std::string COptionMenu::getDisplayText() const
{
    std::string shown;
    if (valueToString && valueToString(value, shown)) return shown;
    return getEntry(getCurrentIndex());
}

CRect COptionMenu::getPopupRect() const
{
    return popupView ? popupView->getViewSize() : CRect();
}

int32_t COptionMenu::getHighlightedIndex() const
{
    return popupView ? popupView->getHighlighted() : -1;
}

bool COptionMenu::popup()
{
    CFrame* frame = getFrame();
    if (!frame || entries.empty() || popupView) return false;
    CCoord rowHeight = std::ceil(font.size + kRowPadding);
    CCoord width = size.getWidth();
    for (const std::string& entry : entries)
        width = std::max(width, kCheckWidth + 2 + measureStringWidth(font, entry) + kSidePadding);
    CCoord height = rowHeight * CCoord(entries.size()) + 4;
    CRect own = localToFrame(size);
    CRect frameRect = frame->getViewSize();
    CRect rect(own.left, own.bottom, own.left + width, own.bottom + height);
    if (rect.bottom > frameRect.bottom) rect.offset(0, own.top - height - rect.top);
    if (rect.top < 0) rect.offset(0, std::min(-rect.top, frameRect.bottom - rect.bottom));
    if (rect.right > frameRect.right)
        rect.offset(std::max(-rect.left, frameRect.right - rect.right), 0);
    popupView = new Popup(*this, rect, rowHeight);
    frame->addOverlay(popupView, true);
    return true;
}

CMouseEventResult COptionMenu::onMouseDown(CPoint& /*where*/, const CButtonState& buttons)
{
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (checkModifierClick(buttons)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    popup();
    return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COptionMenu::onWheel(const CPoint& /*where*/, float distance, const CButtonState& /*buttons*/)
{
    if (entries.empty() || !std::isfinite(distance) || distance == 0) return false;
    int32_t next = getCurrentIndex() + (distance > 0 ? -1 : 1);
    if (next >= 0 && next < getNbEntries()) selectEntry(next);
    return true;
}

} // namespace VSTGUI
