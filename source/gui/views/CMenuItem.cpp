// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CMenuItem.h"

#include "views/COptionMenu.h"

namespace VSTGUI {

CMenuItem::CMenuItem(std::string title, int32_t flags, Action action,
                     std::unique_ptr<COptionMenu> submenu)
    : title(std::move(title)), flags(flags), action(std::move(action)), submenu(std::move(submenu))
{}

CMenuItem::~CMenuItem() = default;

} // namespace VSTGUI
