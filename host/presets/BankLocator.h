// SPDX-License-Identifier: GPL-3.0-or-later
// Finds presets where VST 3 hosts keep them: the .vstpreset files directly in the user's preset
// folder, in the build tree beside a program, and where an install put the factory bank. The
// category and description come from each file's attributes.
#pragma once

#include <string>
#include <vector>

namespace Steinberg::Vst::Tarvik::Presets {

struct BankEntry
{
    std::string name;        ///< the file name without ".vstpreset"
    std::string category;    ///< from the file's attributes; empty when it names none
    std::string description; ///< from the file's attributes
    std::string path;
    std::string folder; ///< the folder it was found in
    std::string damage; ///< why the file cannot be loaded; empty when it can
};

/** The folders searched, in order: the user's ~/.vst3/presets/Tarvik/Brask (where hosts save
    the user's presets), the build tree's bank (buildBank, when given), then
    installPrefix/share/vst3/presets/Tarvik/Brask and the usual system prefixes /usr/local and
    /usr. Each folder once. */
std::vector<std::string> bankFolders(const std::string& buildBank,
                                     const std::string& installPrefix);

/** The presets directly in one folder, sorted by category (those without one last) and name;
    empty when there is none. */
std::vector<BankEntry> scanBank(const std::string& folder);

/** The presets of every folder, merged by name: one in an earlier folder hides those of the same
    name (in any letter case) in later ones, which hidden counts when given. In folder order. */
std::vector<BankEntry> mergeBanks(const std::vector<std::string>& folders,
                                  size_t* hidden = nullptr);

/** The preset of this name, compared case-insensitively; null if none. */
const BankEntry* findPreset(const std::vector<BankEntry>& bank, const std::string& name);

} // namespace Steinberg::Vst::Tarvik::Presets
