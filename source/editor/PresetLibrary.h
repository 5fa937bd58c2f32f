// SPDX-License-Identifier: GPL-3.0-or-later
// PresetLibrary: the presets the editor offers. The factory bank comes from the table compiled
// into the module (nothing is read from disk for it); the user's presets are the .vstpreset files
// of Brask directly in the user's preset folder, listed under "User". That folder also holds the
// installed copy of the factory bank, whose files are left out; files that are damaged or belong
// to another plug-in are skipped.
//
// Threads: the UI thread only; it reads and writes files.
#pragma once

#include "BraskParameterIds.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

struct LibraryPreset
{
    std::string name;
    std::string category;
    /** The sound parameters as the preset's processor state holds them, indexed by ID. Values a
        state does not carry, and values that are no setting, are NaN: they keep what plays. */
    std::array<double, kSoundParamCount> values;
    std::filesystem::path file; ///< empty for a factory preset
};

class PresetLibrary
{
public:
    static constexpr const char* kUserCategory = "User";
    static constexpr const char* kFileExtension = ".vstpreset";

    /** userFolder is where the user's presets lie and are saved; empty for none. */
    explicit PresetLibrary(std::filesystem::path userFolder);

    /** Reads the user's folder again; the factory presets never change. */
    void refresh();

    /** The factory bank in its order (categories together, "Init" first), then the user's
        presets by name. */
    const std::vector<LibraryPreset>& presets() const { return list; }
    /** The index of the preset with this name and category; -1 if there is none. */
    int32_t find(const std::string& name, const std::string& category) const;
    const std::filesystem::path& userFolder() const { return folder; }

    /** Why a name cannot name a preset file on Linux and Windows alike (a sentence for the user);
        empty when it can. */
    static std::string nameProblem(const std::string& name);
    /** The name without the white space around it. */
    static std::string tidyName(const std::string& name);
    /** Whether the user's folder holds a preset file of this name. */
    bool userPresetExists(const std::string& name) const;

    /** Writes a user preset ('Comp', 'Cont' and 'Info' with category "User"), creating the
        folder where it is missing. An existing file is replaced only when `replace` says so, and
        only by a complete new one. False with a sentence for the user in error. */
    bool saveUserPreset(const std::string& name, const std::vector<uint8_t>& componentState,
                        const std::vector<uint8_t>& controllerState, bool replace,
                        std::string& error) const;

private:
    std::filesystem::path folder;
    std::vector<LibraryPreset> list;
    size_t factoryCount = 0;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
