// SPDX-License-Identifier: GPL-3.0-or-later
#include "BraskContextMenu.h"

#include "views/COptionMenu.h"

#include <cmath>
#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

using VSTGUI::CMenuItem;
using VSTGUI::COptionMenu;

namespace {

int32_t checkedIf(bool checked)
{
    return checked ? CMenuItem::kChecked : CMenuItem::kNoFlags;
}

COptionMenu* presetMenu(const PresetLibrary& library, int32_t current,
                        const ContextMenuActions& actions)
{
    auto* menu = new COptionMenu();
    const std::vector<LibraryPreset>& presets = library.presets();
    for (size_t first = 0; first < presets.size();)
    {
        // The run of presets of one category.
        const std::string& category = presets[first].category;
        size_t end = first;
        while (end < presets.size() && presets[end].category == category)
            ++end;
        const auto entry = [&](COptionMenu& into, size_t index) {
            const auto preset = static_cast<int32_t>(index);
            into.addEntry(
                presets[index].name.c_str(),
                [load = actions.loadPreset, preset] {
                    if (load) load(preset);
                },
                checkedIf(preset == current));
        };
        if (end - first == 1 && presets[first].name == category)
            entry(*menu, first);
        else
        {
            auto* categoryMenu = new COptionMenu();
            for (size_t i = first; i < end; ++i)
                entry(*categoryMenu, i);
            CMenuItem* item = menu->addEntry(categoryMenu, category.c_str());
            // The category of the loaded preset is ticked too, so that it is found at a glance.
            if (item)
                item->setChecked(current >= static_cast<int32_t>(first) &&
                                 current < static_cast<int32_t>(end));
        }
        first = end;
    }
    return menu;
}

std::string zoomTitle(double zoom)
{
    return std::to_string(static_cast<int>(std::lround(zoom * 100.0))) + " %";
}

} // namespace

COptionMenu* createBraskContextMenu(const PresetLibrary& library, int32_t currentPreset,
                                    double currentZoom, const ContextMenuActions& actions)
{
    auto* menu = new COptionMenu();
    menu->addEntry(presetMenu(library, currentPreset, actions), "Presets");
    menu->addEntry("Previous preset", [step = actions.stepPreset] {
        if (step) step(-1);
    });
    menu->addEntry("Next preset", [step = actions.stepPreset] {
        if (step) step(1);
    });
    menu->addEntry("Save preset as...", actions.savePresetAs);
    menu->addSeparator();

    auto* zoomMenu = new COptionMenu();
    for (const double zoom : kZoomChoices)
    {
        zoomMenu->addEntry(
            zoomTitle(zoom).c_str(),
            [set = actions.zoom, zoom] {
                if (set) set(zoom);
            },
            checkedIf(std::fabs(zoom - currentZoom) < 1e-9));
    }
    menu->addEntry(zoomMenu, "Zoom");
    menu->addSeparator();
    menu->addEntry("About Brask", actions.about);
    return menu;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
