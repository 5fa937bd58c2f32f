// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/COptionMenu.h"

#include "base/CDrawContext.h"
#include "views/CFrame.h"
#include "views/PopupPalette.h"

#include <cmath>

namespace VSTGUI {

namespace {

constexpr CCoord kRowPadding = 8;
constexpr CCoord kCheckWidth = 18;
constexpr CCoord kSidePadding = 8;
constexpr CCoord kSubmenuArrowWidth = 14;
constexpr CCoord kSeparatorHeight = 7;
constexpr CCoord kScrollArrowHeight = 14;
constexpr CCoord kBorder = 2;
constexpr int32_t kWheelRows = 3;
constexpr CColor kDisabledText{120, 120, 128, 255};

} // namespace

/** The open lists: one modal overlay (as large as the lists together, so that only they are
 *  redrawn) that draws the menu's list and the submenus opened from it, and reports choices
 *  back to their menus. Being modal, it hears every click, also those outside its lists. */
class COptionMenu::Popup : public CView
{
public:
    explicit Popup(CFrame& frame) : CView(CRect()), frame(&frame) {}
    ~Popup() override { detachAll(); }

    /** Opens the list of `menu` at `rect` (already inside the frame), ticking the menu's
     *  current entry when `markCurrent`. */
    void openLevel(COptionMenu& menu, CRect rect, bool markCurrent, int32_t highlighted)
    {
        Level level;
        level.menu = &menu;
        level.markCurrent = markCurrent;
        level.highlighted = highlighted;
        level.rect = rect;
        menu.popupView = this;
        levels.push_back(level);
        scrollIntoView(levels.back());
        fitSize();
    }

    /** The frame is going away or a menu of the chain is: every list closes at once. */
    void detachAll()
    {
        for (Level& level : levels)
            if (level.menu && level.menu->popupView == this) level.menu->popupView = nullptr;
        levels.clear();
    }

    void closeAll()
    {
        detachAll();
        if (frame) frame->removeOverlay(this);
    }

    /** Closes the lists from `first` on. */
    void closeFrom(std::size_t first)
    {
        while (levels.size() > first)
        {
            Level& level = levels.back();
            invalidRect(level.rect);
            if (level.menu && level.menu->popupView == this) level.menu->popupView = nullptr;
            levels.pop_back();
        }
        fitSize();
    }

    const CRect* rectOf(const COptionMenu* menu) const
    {
        for (const Level& level : levels)
            if (level.menu == menu) return &level.rect;
        return nullptr;
    }
    int32_t highlightOf(const COptionMenu* menu) const
    {
        for (const Level& level : levels)
            if (level.menu == menu) return level.highlighted;
        return -1;
    }
    COptionMenu* submenuOf(const COptionMenu* menu) const
    {
        for (std::size_t i = 0; i + 1 < levels.size(); ++i)
            if (levels[i].menu == menu) return levels[i + 1].menu;
        return nullptr;
    }

    void draw(CDrawContext& context) override
    {
        for (const Level& level : levels)
            drawLevel(context, level);
    }

    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override
    {
        const int32_t index = levelAt(where);
        if (index < 0)
        {
            closeAll();
            return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
        }
        if (!buttons.isLeftButton()) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
        auto levelIndex = static_cast<std::size_t>(index);
        Level& level = levels[levelIndex];
        Placement placement = layout(level);
        if (placement.up.pointInside(where))
            scroll(level, -std::max(1, placement.visibleRows - 1));
        else if (placement.down.pointInside(where))
            scroll(level, std::max(1, placement.visibleRows - 1));
        else if (int32_t row = rowAt(level, where); row >= 0)
            choose(levelIndex, row, false);
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }

    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& /*buttons*/) override
    {
        const int32_t index = levelAt(where);
        if (index < 0) return kMouseEventHandled;
        auto levelIndex = static_cast<std::size_t>(index);
        const int32_t row = rowAt(levels[levelIndex], where);
        if (row < 0) return kMouseEventHandled;
        // Back on the entry whose submenu is open: that submenu stays.
        if (levelIndex + 1 < levels.size() && levels[levelIndex].highlighted == row)
            return kMouseEventHandled;
        closeFrom(levelIndex + 1);
        CMenuItem* item = levels[levelIndex].menu->getItem(row);
        setHighlighted(levelIndex, item && item->isEnabled() ? row : -1);
        if (!item || !item->isEnabled()) return kMouseEventHandled;
        if (item->getSubmenu()) openSubmenu(levelIndex, row, false);
        return kMouseEventHandled;
    }

    bool onWheel(const CPoint& where, float distance, const CButtonState& /*buttons*/) override
    {
        if (levels.empty() || !std::isfinite(distance) || distance == 0) return true;
        int32_t index = levelAt(where);
        Level& level = levels[index < 0 ? levels.size() - 1 : static_cast<std::size_t>(index)];
        scroll(level, distance > 0 ? -kWheelRows : kWheelRows);
        return true;
    }

    int32_t onKeyDown(VstKeyCode& key) override
    {
        if (levels.empty() || key.character != 0) return 1;
        const std::size_t levelIndex = levels.size() - 1;
        Level& level = levels[levelIndex];
        switch (key.virt)
        {
        case VKEY_UP:
            moveHighlight(levelIndex,
                          level.highlighted < 0 ? level.menu->getNbEntries() : level.highlighted,
                          -1);
            break;
        case VKEY_DOWN:
            moveHighlight(levelIndex, level.highlighted, 1);
            break;
        case VKEY_HOME:
        case VKEY_PAGEUP:
            moveHighlight(levelIndex, -1, 1);
            break;
        case VKEY_END:
        case VKEY_PAGEDOWN:
            moveHighlight(levelIndex, level.menu->getNbEntries(), -1);
            break;
        case VKEY_RIGHT:
            if (CMenuItem* item = level.menu->getItem(level.highlighted);
                item && item->isEnabled() && item->getSubmenu())
                openSubmenu(levelIndex, level.highlighted, true);
            break;
        case VKEY_LEFT:
            if (levelIndex > 0) closeFrom(levelIndex);
            break;
        case VKEY_RETURN:
        case VKEY_ENTER:
        case VKEY_SPACE:
            if (level.highlighted >= 0) choose(levelIndex, level.highlighted, true);
            break;
        case VKEY_ESCAPE:
            if (levelIndex > 0)
                closeFrom(levelIndex);
            else
                closeAll();
            break;
        case VKEY_TAB:
            closeAll();
            break;
        default:
            break;
        }
        return 1; // the open list has the keyboard
    }

    /** The size of a menu's list and the height of one row of its font. */
    static CPoint measure(const COptionMenu& menu, CCoord minWidth, CCoord& rowHeight)
    {
        const CFontDesc& font = menu.getFont();
        rowHeight = std::ceil(font.size + kRowPadding);
        CCoord width = minWidth;
        CCoord height = 2 * kBorder;
        const CCoord arrows = menu.hasSubmenus() ? kSubmenuArrowWidth : 0;
        for (const auto& item : menu.entries)
        {
            height += item->isSeparator() ? kSeparatorHeight : rowHeight;
            if (!item->isSeparator())
                width =
                    std::max(width, kCheckWidth + 2 + measureStringWidth(font, item->getTitle()) +
                                        kSidePadding + arrows);
        }
        return {std::ceil(width), height};
    }

    /** `rect` moved (and, when taller than the frame, shortened) to lie inside the frame. */
    CRect fitIntoFrame(CRect rect) const
    {
        const CRect bounds = frame ? frame->getViewSize() : CRect();
        if (rect.getHeight() > bounds.getHeight()) rect.bottom = rect.top + bounds.getHeight();
        if (rect.bottom > bounds.bottom) rect.offset(0, bounds.bottom - rect.bottom);
        if (rect.top < bounds.top) rect.offset(0, bounds.top - rect.top);
        if (rect.right > bounds.right) rect.offset(bounds.right - rect.right, 0);
        if (rect.left < bounds.left) rect.offset(bounds.left - rect.left, 0);
        return rect;
    }

private:
    struct Level
    {
        COptionMenu* menu = nullptr;
        CRect rect;
        int32_t highlighted = -1;
        int32_t firstRow = 0;
        bool markCurrent = false;
    };
    struct Placement
    {
        std::vector<std::pair<int32_t, CRect>> rows; // entry index and its row
        CRect up, down;                              // scroll arrows (empty when not needed)
        int32_t visibleRows = 0;
    };

    void fitSize()
    {
        CRect all;
        for (const Level& level : levels)
            all.unite(level.rect);
        if (all != size) setViewSize(all);
    }

    CCoord rowHeightOf(const Level& level) const
    {
        return std::ceil(level.menu->getFont().size + kRowPadding);
    }

    Placement layout(const Level& level) const
    {
        Placement placement;
        const CCoord rowHeight = rowHeightOf(level);
        const int32_t count = level.menu->getNbEntries();
        CCoord top = level.rect.top + kBorder;
        CCoord bottom = level.rect.bottom - kBorder;
        CCoord content = 0;
        for (int32_t i = 0; i < count; ++i)
            content += level.menu->getItem(i)->isSeparator() ? kSeparatorHeight : rowHeight;
        const bool scrolls = content > bottom - top + 0.5;
        if (scrolls && level.firstRow > 0)
        {
            placement.up = CRect(level.rect.left, top, level.rect.right, top + kScrollArrowHeight);
            top += kScrollArrowHeight;
        }
        if (scrolls) bottom -= kScrollArrowHeight;
        int32_t i = scrolls ? level.firstRow : 0;
        for (; i < count; ++i)
        {
            CCoord height = level.menu->getItem(i)->isSeparator() ? kSeparatorHeight : rowHeight;
            if (top + height > bottom + 0.5) break;
            placement.rows.emplace_back(
                i, CRect(level.rect.left, top, level.rect.right, top + height));
            top += height;
        }
        if (scrolls && i < count)
            placement.down =
                CRect(level.rect.left, bottom, level.rect.right, bottom + kScrollArrowHeight);
        placement.visibleRows = static_cast<int32_t>(placement.rows.size());
        return placement;
    }

    int32_t levelAt(const CPoint& where) const
    {
        for (std::size_t i = levels.size(); i-- > 0;)
            if (levels[i].rect.pointInside(where)) return static_cast<int32_t>(i);
        return -1;
    }

    int32_t rowAt(const Level& level, const CPoint& where) const
    {
        for (const auto& row : layout(level).rows)
            if (row.second.pointInside(where))
                return level.menu->getItem(row.first)->isSeparator() ? -1 : row.first;
        return -1;
    }

    CRect rowRect(const Level& level, int32_t index) const
    {
        for (const auto& row : layout(level).rows)
            if (row.first == index) return row.second;
        return CRect();
    }

    void setHighlighted(std::size_t levelIndex, int32_t index)
    {
        Level& level = levels[levelIndex];
        if (index == level.highlighted) return;
        invalidRect(rowRect(level, level.highlighted));
        level.highlighted = index;
        scrollIntoView(level);
        invalidRect(rowRect(level, level.highlighted));
    }

    /** Highlights the next enabled entry from `from` in `direction`; stays at the ends. */
    void moveHighlight(std::size_t levelIndex, int32_t from, int32_t direction)
    {
        Level& level = levels[levelIndex];
        for (int32_t i = from + direction; i >= 0 && i < level.menu->getNbEntries(); i += direction)
            if (level.menu->getItem(i)->isEnabled())
            {
                closeFrom(levelIndex + 1);
                setHighlighted(levelIndex, i);
                return;
            }
    }

    void scroll(Level& level, int32_t rows)
    {
        const int32_t count = level.menu->getNbEntries();
        const int32_t first = std::max(0, std::min(count - 1, level.firstRow + rows));
        if (first == level.firstRow) return;
        level.firstRow = first;
        // Not past the point where the last entry shows at the bottom.
        while (level.firstRow > 0)
        {
            Level earlier = level;
            --earlier.firstRow;
            Placement placement = layout(earlier);
            if (placement.rows.empty() || placement.rows.back().first < count - 1 ||
                !placement.down.isEmpty())
                break;
            level.firstRow = earlier.firstRow;
        }
        for (std::size_t i = 0; i < levels.size(); ++i)
            if (&levels[i] == &level) closeFrom(i + 1);
        invalidRect(level.rect);
    }

    void scrollIntoView(Level& level)
    {
        if (level.highlighted < 0) return;
        if (level.highlighted < level.firstRow)
        {
            level.firstRow = level.highlighted;
            invalidRect(level.rect);
            return;
        }
        for (int guard = level.menu->getNbEntries(); guard > 0; --guard)
        {
            Placement placement = layout(level);
            if (placement.rows.empty() || placement.rows.back().first >= level.highlighted) return;
            ++level.firstRow;
            invalidRect(level.rect);
        }
    }

    void openSubmenu(std::size_t levelIndex, int32_t row, bool byKeyboard)
    {
        Level& parentLevel = levels[levelIndex];
        COptionMenu* submenu = parentLevel.menu->getItem(row)->getSubmenu();
        closeFrom(levelIndex + 1);
        if (!submenu || submenu->entries.empty() || submenu->popupView) return;
        setHighlighted(levelIndex, row);
        CCoord rowHeight = 0;
        CPoint extent = measure(*submenu, 0, rowHeight);
        const CRect entry = rowRect(levels[levelIndex], row);
        const CRect& parent = levels[levelIndex].rect;
        CRect rect(parent.right - kBorder, entry.top - kBorder, parent.right - kBorder + extent.x,
                   entry.top - kBorder + extent.y);
        const CRect bounds = frame ? frame->getViewSize() : CRect();
        if (rect.right > bounds.right && parent.left - extent.x + kBorder >= bounds.left)
            rect.offset(parent.left + kBorder - rect.right, 0);
        int32_t first = -1;
        if (byKeyboard)
            for (int32_t i = 0; i < submenu->getNbEntries() && first < 0; ++i)
                if (submenu->getItem(i)->isEnabled()) first = i;
        openLevel(*submenu, fitIntoFrame(rect), false, first);
    }

    void choose(std::size_t levelIndex, int32_t index, bool byKeyboard)
    {
        COptionMenu* owner = levels[levelIndex].menu;
        CMenuItem* item = owner->getItem(index);
        if (!item || !item->isEnabled()) return;
        if (item->getSubmenu())
        {
            if (levelIndex + 1 >= levels.size() ||
                levels[levelIndex + 1].menu != item->getSubmenu())
                openSubmenu(levelIndex, index, byKeyboard);
            return;
        }
        // The action may close the editor or replace the menu: it runs once every list is gone.
        CMenuItem::Action action = item->getAction();
        closeAll();
        if (action)
            action();
        else
            owner->selectEntry(index);
    }

    void drawLevel(CDrawContext& context, const Level& level) const
    {
        const COptionMenu& menu = *level.menu;
        context.setFillColor(kPopupBack);
        context.setFrameColor(kPopupFrame);
        context.setLineWidth(1);
        context.drawRect(CRect(level.rect).inset(0.5, 0.5), kDrawFilledAndStroked);
        context.setFont(menu.getFont());
        const int32_t current = level.markCurrent ? menu.getCurrentIndex() : -1;
        Placement placement = layout(level);
        for (const auto& [index, row] : placement.rows)
        {
            const CMenuItem& item = *menu.entries[static_cast<std::size_t>(index)];
            if (item.isSeparator())
            {
                context.setFrameColor(kPopupFrame);
                context.setLineWidth(1);
                CCoord y = std::floor(row.getCenter().y) + 0.5;
                context.drawLine(CPoint(row.left + 6, y), CPoint(row.right - 6, y));
                continue;
            }
            if (index == level.highlighted && item.isEnabled())
            {
                context.setFillColor(kPopupHighlight);
                context.drawRect(CRect(row).inset(1, 0), kDrawFilled);
            }
            const CColor& ink = item.isEnabled() ? kWhiteCColor : kDisabledText;
            if (index == current || item.isChecked())
            {
                // A check mark drawn as two strokes, independent of the font's glyphs.
                context.setFrameColor(ink);
                context.setLineWidth(2);
                CCoord cx = row.left + kCheckWidth / 2 + 1;
                CCoord cy = row.top + row.getHeight() / 2;
                context.drawLine(CPoint(cx - 4, cy), CPoint(cx - 1, cy + 3));
                context.drawLine(CPoint(cx - 1, cy + 3), CPoint(cx + 4, cy - 4));
            }
            context.setFontColor(ink);
            CRect textRect = row;
            textRect.left += kCheckWidth + 2;
            if (item.getSubmenu())
            {
                textRect.right -= kSubmenuArrowWidth;
                drawTriangle(context,
                             CPoint(row.right - kSubmenuArrowWidth / 2 - 1, row.getCenter().y), 0,
                             ink);
            }
            context.drawString(item.getTitle(), textRect, kLeftText);
        }
        if (!placement.up.isEmpty())
            drawTriangle(context, placement.up.getCenter(), -1, kWhiteCColor);
        if (!placement.down.isEmpty())
            drawTriangle(context, placement.down.getCenter(), 1, kWhiteCColor);
    }

    /** A small filled arrow: pointing right (0), up (-1) or down (1). */
    static void drawTriangle(CDrawContext& context, const CPoint& centre, int direction,
                             const CColor& color)
    {
        // Drawn as stacked lines, which every backend renders alike.
        context.setFrameColor(color);
        context.setLineWidth(1);
        for (int i = 0; i < 4; ++i)
        {
            const CCoord half = 3.5 - i;
            if (direction == 0)
            {
                CCoord x = std::floor(centre.x) - 1.5 + i;
                context.drawLine(CPoint(x, centre.y - half), CPoint(x, centre.y + half));
            }
            else
            {
                CCoord y = std::floor(centre.y) + 0.5 + (direction < 0 ? i - 1.5 : 1.5 - i);
                context.drawLine(CPoint(centre.x - half, y), CPoint(centre.x + half, y));
            }
        }
    }

    CFrame* frame;
    std::vector<Level> levels;
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
    closePopup();
}

void COptionMenu::closePopup()
{
    if (!popupView) return;
    Popup* open = popupView;
    open->closeAll();
    popupView = nullptr;
}

bool COptionMenu::hasSubmenus() const
{
    for (const auto& item : entries)
        if (item->getSubmenu()) return true;
    return false;
}

CMenuItem* COptionMenu::addEntry(const std::string& title)
{
    entries.push_back(std::make_unique<CMenuItem>(title));
    vmax = std::max(vmax, float(entries.size() - 1));
    invalid();
    return entries.back().get();
}

CMenuItem* COptionMenu::addEntry(UTF8StringPtr title, CMenuItem::Action action, int32_t flags)
{
    CMenuItem* item = addEntry(std::string(title ? title : ""));
    item->setAction(std::move(action));
    if (flags & CMenuItem::kDisabled) item->setEnabled(false);
    if (flags & CMenuItem::kChecked) item->setChecked(true);
    return item;
}

CMenuItem* COptionMenu::addEntry(COptionMenu* submenu, UTF8StringPtr title)
{
    entries.push_back(std::make_unique<CMenuItem>(title ? title : "", CMenuItem::kNoFlags, nullptr,
                                                  std::unique_ptr<COptionMenu>(submenu)));
    vmax = std::max(vmax, float(entries.size() - 1));
    invalid();
    return entries.back().get();
}

CMenuItem* COptionMenu::addSeparator()
{
    entries.push_back(std::make_unique<CMenuItem>(std::string(), CMenuItem::kSeparator));
    vmax = std::max(vmax, float(entries.size() - 1));
    return entries.back().get();
}

void COptionMenu::removeAllEntry()
{
    closePopup();
    entries.clear();
    invalid();
}

std::string COptionMenu::getEntry(int32_t index) const
{
    CMenuItem* item = getItem(index);
    return item ? item->getTitle() : std::string();
}

CMenuItem* COptionMenu::getItem(int32_t index) const
{
    return index >= 0 && index < getNbEntries() ? entries[static_cast<std::size_t>(index)].get()
                                                : nullptr;
}

bool COptionMenu::checkEntry(int32_t index, bool checked)
{
    CMenuItem* item = getItem(index);
    if (!item) return false;
    item->setChecked(checked);
    if (popupView) popupView->invalid();
    return true;
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
    const CRect* rect = popupView ? popupView->rectOf(this) : nullptr;
    return rect ? *rect : CRect();
}

int32_t COptionMenu::getHighlightedIndex() const
{
    return popupView ? popupView->highlightOf(this) : -1;
}

COptionMenu* COptionMenu::getOpenSubmenu() const
{
    return popupView ? popupView->submenuOf(this) : nullptr;
}

bool COptionMenu::popup()
{
    CFrame* frame = getFrame();
    if (!frame || entries.empty() || popupView) return false;
    CCoord rowHeight = 0;
    CPoint extent = Popup::measure(*this, size.getWidth(), rowHeight);
    CRect own = localToFrame(size);
    CRect frameRect = frame->getViewSize();
    CRect rect(own.left, own.bottom, own.left + extent.x, own.bottom + extent.y);
    if (rect.bottom > frameRect.bottom) rect.offset(0, own.top - extent.y - rect.top);
    auto* open = new Popup(*frame);
    frame->addOverlay(open, true);
    open->openLevel(*this, open->fitIntoFrame(rect), true, getCurrentIndex());
    return true;
}

bool COptionMenu::popup(CFrame* frame, const CPoint& where)
{
    if (!frame || entries.empty()) return false;
    closePopup();
    CCoord rowHeight = 0;
    CPoint extent = Popup::measure(*this, 0, rowHeight);
    CRect rect(where, extent);
    const CRect frameRect = frame->getViewSize();
    // Opened upwards or leftwards from the point where it would leave the editor.
    if (rect.bottom > frameRect.bottom && where.y - extent.y >= frameRect.top)
        rect.offset(0, -extent.y);
    if (rect.right > frameRect.right && where.x - extent.x >= frameRect.left)
        rect.offset(-extent.x, 0);
    auto* open = new Popup(*frame);
    frame->addOverlay(open, true);
    open->openLevel(*this, open->fitIntoFrame(rect), false, -1);
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

int32_t COptionMenu::onKeyDown(VstKeyCode& key)
{
    if (key.character != 0 || key.modifier != 0 || entries.empty()) return -1;
    switch (key.virt)
    {
    case VKEY_UP:
    case VKEY_DOWN:
    {
        int32_t next = getCurrentIndex() + (key.virt == VKEY_UP ? -1 : 1);
        if (next >= 0 && next < getNbEntries()) selectEntry(next);
        return 1;
    }
    case VKEY_RETURN:
    case VKEY_ENTER:
    case VKEY_SPACE:
        popup();
        return 1;
    default:
        return -1;
    }
}

} // namespace VSTGUI
