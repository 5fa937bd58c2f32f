// SPDX-License-Identifier: GPL-3.0-or-later
#include "BankLocator.h"

#include "FactoryBank.h"
#include "VstPresetFile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>
#include <tuple>

namespace Steinberg::Vst::Tarvik::Presets {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBankSubfolder = "presets/Tarvik/Brask";

} // namespace

std::vector<std::string> bankFolders(const std::string& buildBank, const std::string& installPrefix)
{
    std::vector<std::string> folders;
    const auto add = [&folders](const std::string& folder) {
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    };
    if (const char* home = std::getenv("HOME"); home && *home)
        add(std::string(home) + "/.vst3/" + kBankSubfolder);
    if (!buildBank.empty()) add(fs::path(buildBank).lexically_normal().string());
    for (const std::string& prefix :
         {installPrefix, std::string("/usr/local"), std::string("/usr")})
    {
        if (!prefix.empty()) add(prefix + "/share/vst3/" + kBankSubfolder);
    }
    return folders;
}

std::vector<BankEntry> scanBank(const std::string& folder)
{
    std::vector<BankEntry> bank;
    std::error_code error;
    for (const fs::directory_entry& file : fs::directory_iterator(folder, error))
    {
        if (file.path().extension() != ".vstpreset" || !file.is_regular_file(error)) continue;
        BankEntry entry{file.path().stem().string(), "", "", file.path().string(), folder, ""};
        VstPreset preset;
        if (VstPresetFile::read(entry.path, preset, entry.damage))
        {
            entry.category = VstPresetFile::metaInfoValue(preset.metaInfo, "MusicalCategory");
            entry.description = VstPresetFile::metaInfoValue(preset.metaInfo, "Comment");
        }
        else if (entry.damage.rfind(entry.path + ": ", 0) == 0)
            entry.damage.erase(0, entry.path.size() + 2); // the entry names its file already
        bank.push_back(std::move(entry));
    }
    const auto order = [](const BankEntry& entry) {
        return std::make_tuple(entry.category.empty(), entry.category, foldCase(entry.name));
    };
    std::sort(bank.begin(), bank.end(),
              [&order](const BankEntry& a, const BankEntry& b) { return order(a) < order(b); });
    return bank;
}

std::vector<BankEntry> mergeBanks(const std::vector<std::string>& folders, size_t* hidden)
{
    std::vector<BankEntry> merged;
    std::set<std::string> names;
    size_t hiddenCount = 0;
    for (const std::string& folder : folders)
    {
        for (BankEntry& entry : scanBank(folder))
        {
            if (names.insert(foldCase(entry.name)).second)
                merged.push_back(std::move(entry));
            else
                ++hiddenCount;
        }
    }
    if (hidden) *hidden = hiddenCount;
    return merged;
}

const BankEntry* findPreset(const std::vector<BankEntry>& bank, const std::string& name)
{
    const std::string wanted = foldCase(name);
    for (const BankEntry& entry : bank)
    {
        if (foldCase(entry.name) == wanted) return &entry;
    }
    return nullptr;
}

} // namespace Steinberg::Vst::Tarvik::Presets
