// SPDX-License-Identifier: GPL-3.0-or-later
#include "BankLocator.h"

#include "FactoryBank.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Presets {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBankSubfolder = "presets/Tarvik/Brask";

} // namespace

std::vector<std::string> bankFolders(const std::string& buildBank, const std::string& installPrefix)
{
    std::vector<std::string> folders;
    if (!buildBank.empty()) folders.push_back(fs::path(buildBank).lexically_normal().string());
    if (const char* home = std::getenv("HOME"); home && *home)
        folders.push_back(std::string(home) + "/.vst3/" + kBankSubfolder);
    for (const std::string& prefix :
         {installPrefix, std::string("/usr/local"), std::string("/usr")})
    {
        if (prefix.empty()) continue;
        const std::string folder = prefix + "/share/vst3/" + kBankSubfolder;
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    return folders;
}

std::vector<BankEntry> scanBank(const std::string& folder)
{
    std::vector<BankEntry> bank;
    std::error_code error;
    for (const fs::directory_entry& category : fs::directory_iterator(folder, error))
    {
        if (!category.is_directory(error)) continue;
        for (const fs::directory_entry& file : fs::directory_iterator(category.path(), error))
        {
            if (file.path().extension() != ".vstpreset" || !file.is_regular_file(error)) continue;
            bank.push_back({file.path().stem().string(), category.path().filename().string(),
                            file.path().string()});
        }
    }
    std::sort(bank.begin(), bank.end(), [](const BankEntry& a, const BankEntry& b) {
        return a.category != b.category ? a.category < b.category
                                        : foldCase(a.name) < foldCase(b.name);
    });
    return bank;
}

std::vector<BankEntry> findBank(const std::vector<std::string>& folders, std::string& folder)
{
    for (const std::string& candidate : folders)
    {
        std::vector<BankEntry> bank = scanBank(candidate);
        if (!bank.empty())
        {
            folder = candidate;
            return bank;
        }
    }
    folder.clear();
    return {};
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

} // namespace Presets
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
