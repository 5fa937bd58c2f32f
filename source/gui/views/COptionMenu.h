// SPDX-License-Identifier: GPL-3.0-or-later
// COptionMenu: a value display whose value is the index of one of its entries. A click opens a
// popup list inside the editor (below the control, or above it when it would leave the editor)
// with the current entry checked; the pointer or the arrow keys pick an entry, a click or Enter
// chooses it, Escape or a click outside closes the list without a change.
#pragma once

#include "views/CParamDisplay.h"

#include <string>
#include <vector>

namespace VSTGUI {

class COptionMenu : public CParamDisplay
{
public:
    COptionMenu(const CRect& size, CControlListener* listener = nullptr, int32_t tag = -1,
                std::shared_ptr<CBitmap> background = nullptr, int32_t style = 0);
    ~COptionMenu() override;

    void addEntry(const std::string& title);
    void removeAllEntry();
    int32_t getNbEntries() const { return static_cast<int32_t>(entries.size()); }
    std::string getEntry(int32_t index) const;
    /** The entry the value points at, or -1 without entries. */
    int32_t getCurrentIndex() const;
    /** Chooses `index` as one user gesture; out-of-range indexes are ignored. */
    void selectEntry(int32_t index);

    /** Opens the popup list; false without entries or outside a frame. */
    bool popup();
    bool isPopupOpen() const { return popupView != nullptr; }
    /** The open popup's rectangle in frame coordinates (empty when closed). */
    CRect getPopupRect() const;
    /** The entry the popup highlights, -1 when closed. */
    int32_t getHighlightedIndex() const;

    std::string getDisplayText() const override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;

private:
    class Popup;
    friend class Popup;

    std::vector<std::string> entries;
    Popup* popupView = nullptr;
};

} // namespace VSTGUI
