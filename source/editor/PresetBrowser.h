// SPDX-License-Identifier: GPL-3.0-or-later
// PresetBrowser: the presets as the editor's menu offers them, for one controller instance. A
// preset is loaded as a host loads one: its values go through the controller and the host's
// component handler as edits (one group where the host offers IComponentHandler2), so the host
// records them and hands them to the processor. Saving writes the state the processor would
// write for the controller's values.
//
// Threads: the UI thread only. Loading and saving are the user's acts in the editor's own
// window, never answers to a host call, so calling the host back is safe there.
#pragma once

#include "PresetLibrary.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class PresetBrowser
{
public:
    PresetBrowser(EditController& controller, std::filesystem::path userFolder);

    /** Told whenever another preset counts as loaded. */
    void setLoadedListener(std::function<void()> listener) { loaded = std::move(listener); }

    /** Reads the user's folder again; the loaded preset keeps its place by name. */
    void refresh();
    const PresetLibrary& library() const { return presets; }

    /** Loads preset `index` of the library; false for an index outside it. */
    bool load(int32 index);
    /** Loads the next (direction 1) or previous (-1) preset in the library's order, wrapping
        around at the ends; without a loaded preset the first or the last. */
    bool step(int32 direction);

    /** The loaded preset's index in the library; -1 while none is loaded (also once its file
        has gone). */
    int32 current() const { return currentIndex; }
    /** The loaded preset's name, also once its file has gone; empty while none is loaded. */
    const std::string& currentName() const { return loadedName; }
    /** Whether a sound parameter differs from the loaded preset. */
    bool isModified() const;

    /** The processor state for the controller's values: the 24 values and bypass off, the
        bytes the processor writes for them. */
    std::vector<uint8_t> componentState() const;
    /** Whatever the controller writes as its own state (hosts store it as 'Cont'). */
    std::vector<uint8_t> controllerState() const;
    /** Saves the controller's sound as a user preset, which then counts as loaded. The name is
        tidied first; see PresetLibrary::saveUserPreset for the rest. */
    bool save(const std::string& name, bool replace, std::string& error);

private:
    void remember(const std::string& name, const std::string& category);
    std::array<double, kSoundParamCount> soundValues() const;

    EditController* controller;
    PresetLibrary presets;
    int32 currentIndex = -1;
    std::string loadedName;
    std::string loadedCategory;
    std::array<double, kSoundParamCount> loadedValues{};
    std::function<void()> loaded;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
