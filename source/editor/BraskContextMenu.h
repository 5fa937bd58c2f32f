// SPDX-License-Identifier: GPL-3.0-or-later
// Brask's context menu, the one a right-click on the panel's background opens:
//
//   Presets ▸ Init, Bass ▸ …, Lead ▸ …, … Effects ▸ …, User ▸ …  (the loaded one ticked)
//   Previous preset / Next preset
//   Save preset as...
//   Zoom ▸ 100 % … 200 %                                         (the current one ticked)
//   About Brask
//
// The factory categories come in the bank's order with their presets in it; a category that
// holds only a preset of its own name ("Init") is that preset itself. The user's presets follow
// under "User", by name. What an entry does is the caller's (ContextMenuActions).
#pragma once

#include "PresetLibrary.h"

#include <functional>

namespace VSTGUI {
class COptionMenu;
}

namespace Steinberg {
namespace Vst {
namespace Tarvik {

struct ContextMenuActions
{
    std::function<void(int32_t preset)> loadPreset;    ///< an index of the library
    std::function<void(int32_t direction)> stepPreset; ///< -1 previous, 1 next
    std::function<void()> savePresetAs;
    std::function<void(double zoom)> zoom;
    std::function<void()> about;
};

/** The zoom factors the menu offers. */
constexpr double kZoomChoices[] = {1.0, 1.25, 1.5, 1.75, 2.0};

/** A new menu for the library's presets, `currentPreset` (-1: none) and `currentZoom` ticked;
    the caller owns it. */
VSTGUI::COptionMenu* createBraskContextMenu(const PresetLibrary& library, int32_t currentPreset,
                                            double currentZoom, const ContextMenuActions& actions);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
