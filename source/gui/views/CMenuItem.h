// SPDX-License-Identifier: GPL-3.0-or-later
// CMenuItem: one entry of a COptionMenu: a title, or a separator line, that may be ticked or
// greyed out, and that either opens a submenu or, when chosen, runs its action.
#pragma once

#include "base/VSTGUIBase.h"

#include <functional>
#include <memory>
#include <string>

namespace VSTGUI {

class COptionMenu;

class CMenuItem
{
public:
    enum Flags : int32_t
    {
        kNoFlags = 0,
        kDisabled = 1 << 0,
        kChecked = 1 << 1,
        kSeparator = 1 << 2,
    };
    using Action = std::function<void()>;

    CMenuItem(std::string title, int32_t flags = kNoFlags, Action action = nullptr,
              std::unique_ptr<COptionMenu> submenu = nullptr);
    ~CMenuItem();
    CMenuItem(const CMenuItem&) = delete;
    CMenuItem& operator=(const CMenuItem&) = delete;

    const std::string& getTitle() const { return title; }
    void setTitle(std::string value) { title = std::move(value); }
    int32_t getFlags() const { return flags; }
    bool isEnabled() const { return !(flags & (kDisabled | kSeparator)); }
    void setEnabled(bool enabled) { setFlag(kDisabled, !enabled); }
    bool isChecked() const { return (flags & kChecked) != 0; }
    void setChecked(bool checked) { setFlag(kChecked, checked); }
    bool isSeparator() const { return (flags & kSeparator) != 0; }

    /** The submenu this entry opens (owned by the entry), or null. */
    COptionMenu* getSubmenu() const { return submenu.get(); }
    const Action& getAction() const { return action; }
    void setAction(Action value) { action = std::move(value); }

private:
    void setFlag(int32_t flag, bool on) { flags = on ? (flags | flag) : (flags & ~flag); }

    std::string title;
    int32_t flags;
    Action action;
    std::unique_ptr<COptionMenu> submenu;
};

} // namespace VSTGUI
