// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows module's resources: its version information, and every embedded file under its
// type ("PNG" for bitmaps, "DATA" otherwise), found by its file name in any letter case.
#include "WindowsResourceFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

class ModuleResources : public ::testing::Test
{
protected:
    void SetUp() override
    {
        module = LoadLibraryExA(BRASK_MODULE_FILE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << "cannot open " << BRASK_MODULE_FILE;
    }
    void TearDown() override
    {
        if (module) FreeLibrary(module);
    }

    std::string resource(const char* name, const char* type) const
    {
        HRSRC found = FindResourceA(module, name, type);
        if (!found) return {};
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
    }

    HMODULE module = nullptr;
};

TEST_F(ModuleResources, VersionInformationNamesVendorProductAndVersion)
{
    const std::string info = resource(MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));
    ASSERT_FALSE(info.empty());
    for (const char* text : {"Tarvik", "Brask", "1.6.06.0811", "Tarvik-Brask.vst3"})
    {
        std::string wide; // the version block's strings are UTF-16
        for (const char* c = text; *c; ++c)
            wide += std::string{*c, '\0'};
        EXPECT_NE(info.find(wide), std::string::npos) << text;
    }
}

TEST_F(ModuleResources, EmbeddedFilesAreFoundByNameInAnyCase)
{
    std::istringstream list(BRASK_RESOURCE_FILES);
    std::string path;
    while (std::getline(list, path, '|'))
    {
        if (path.empty()) continue;
        std::ifstream in(path, std::ios::binary);
        const std::string contents{std::istreambuf_iterator<char>(in), {}};
        std::string name = path.substr(path.find_last_of("/\\") + 1);
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const bool bitmap = lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".png") == 0;
        for (const std::string& spelling : {name, lower})
            EXPECT_EQ(resource(spelling.c_str(), bitmap ? "PNG" : "DATA"), contents) << spelling;
    }
}

} // namespace
