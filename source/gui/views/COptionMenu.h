// SPDX-License-Identifier: GPL-3.0-or-later
// COptionMenu: a list of entries (CMenuItem) shown as a popup inside the editor. In the view
// tree it is a value display whose value is the index of one of its entries: a click opens the
// popup below the control (above it when it would leave the editor) with the current entry
// ticked, and choosing an entry sets the value. Out of the tree it is a context menu that the
// editor pops up at a point; its entries run their actions.
//
// Entries may be separators, greyed out, ticked, or open a submenu beside them. The pointer or
// the arrow keys highlight an entry (Right and Left open and close submenus), a click, Enter or
// Space chooses it, Escape closes the innermost list and a click outside closes them all. Every
// list stays inside the editor; a list taller than the editor scrolls (wheel, keys, or the
// arrows at its ends).
#pragma once

#include "views/CMenuItem.h"
#include "views/CParamDisplay.h"

#include <memory>
#include <string>
#include <vector>

namespace VSTGUI {

class CFrame;

class COptionMenu : public CParamDisplay
{
public:
    explicit COptionMenu(const CRect& size = CRect(), CControlListener* listener = nullptr,
                         int32_t tag = -1, std::shared_ptr<CBitmap> background = nullptr,
                         int32_t style = 0);
    ~COptionMenu() override;

    /** An entry that, chosen, makes its index the menu's value. */
    CMenuItem* addEntry(const std::string& title);
    /** An entry that, chosen, runs `action` (after every list has closed). */
    CMenuItem* addEntry(UTF8StringPtr title, CMenuItem::Action action,
                        int32_t flags = CMenuItem::kNoFlags);
    /** An entry that opens `submenu`, which the menu takes over. */
    CMenuItem* addEntry(COptionMenu* submenu, UTF8StringPtr title);
    CMenuItem* addSeparator();
    void removeAllEntry();
    int32_t getNbEntries() const { return static_cast<int32_t>(entries.size()); }
    /** The title of an entry, empty for an index out of range. */
    std::string getEntry(int32_t index) const;
    CMenuItem* getItem(int32_t index) const;
    /** Ticks or unticks an entry; false for an index out of range. */
    bool checkEntry(int32_t index, bool checked);
    /** The entry the value points at, or -1 without entries. */
    int32_t getCurrentIndex() const;
    /** Chooses `index` as one user gesture; out-of-range indexes are ignored. */
    void selectEntry(int32_t index);

    /** Opens the popup below the control; false without entries, outside a frame or when
     *  already open. */
    bool popup();
    /** Opens the popup with its top left corner at `where` (frame coordinates), moved as far as
     *  needed to stay inside the frame; false without entries or frame. */
    bool popup(CFrame* frame, const CPoint& where);
    /** Closes the popup and every open submenu. */
    void closePopup();
    /** True while this menu's list is shown (as a popup or as an open submenu). */
    bool isPopupOpen() const { return popupView != nullptr; }
    /** The rectangle of this menu's open list in frame coordinates (empty when closed). */
    CRect getPopupRect() const;
    /** The entry this menu's open list highlights, -1 when none or closed. */
    int32_t getHighlightedIndex() const;
    /** The submenu open beside this menu's list, or null. */
    COptionMenu* getOpenSubmenu() const;

    std::string getDisplayText() const override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    /** With the keyboard focus: Up and Down step through the entries, Enter or Space opens. */
    int32_t onKeyDown(VstKeyCode& key) override;
    bool wantsFocus() const override { return true; }

private:
    class Popup;
    friend class Popup;

    bool hasSubmenus() const;

    std::vector<std::unique_ptr<CMenuItem>> entries;
    Popup* popupView = nullptr;
};

} // namespace VSTGUI
