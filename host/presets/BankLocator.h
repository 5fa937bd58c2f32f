// SPDX-License-Identifier: GPL-3.0-or-later
// Finds the installed factory bank: a folder of category folders holding .vstpreset files, in the
// build tree beside a program or where the install put it for VST 3 hosts.
#pragma once

#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Presets {

struct BankEntry
{
    std::string name;     ///< the file name without ".vstpreset"
    std::string category; ///< the folder it lies in
    std::string path;
};

/** The folders searched, in order: the build tree's bank (buildBank, when given), the user's
    ~/.vst3/presets/Tarvik/Brask, then installPrefix/share/vst3/presets/Tarvik/Brask and the
    usual system prefixes /usr/local and /usr. */
std::vector<std::string> bankFolders(const std::string& buildBank,
                                     const std::string& installPrefix);

/** The presets of one bank folder, sorted by category and name; empty when there is none. */
std::vector<BankEntry> scanBank(const std::string& folder);

/** The first folder of the list that holds presets, and its presets. */
std::vector<BankEntry> findBank(const std::vector<std::string>& folders, std::string& folder);

/** The preset of this name in the bank, compared case-insensitively; null if none. */
const BankEntry* findPreset(const std::vector<BankEntry>& bank, const std::string& name);

} // namespace Presets
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
