// SPDX-License-Identifier: GPL-3.0-or-later
// The resource table built into the module: the description and every bitmap at both scales,
// byte for byte as written.
#include "description/EmbeddedResources.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <strings.h>

namespace {

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(EmbeddedResourcesTest, ModuleCarriesTheDescriptionAndEveryBitmap)
{
    std::set<std::string> names;
    for (const VSTGUI::EmbeddedResource* entry = VSTGUI::moduleResources().begin(); entry->name;
         ++entry)
    {
        const std::string name = entry->name;
        EXPECT_TRUE(names.insert(name).second) << name << " twice";
        const std::string path = name == "Tarvik_Brask.uidesc"
                                     ? std::string(BRASK_DESCRIPTION_FILE)
                                     : std::string(BRASK_ARTWORK_DIR "/") + name;
        const std::string expected = fileBytes(path);
        ASSERT_FALSE(expected.empty()) << path;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry->data), entry->size), expected)
            << name;
    }
    std::set<std::string> expected = {"Tarvik_Brask.uidesc"};
    for (const char* bitmap : {"Brask_knob", "Brask_knob5", "Brask_slider_11", "Brask_slider_5",
                               "Brask_background", "Brask_about"})
    {
        expected.insert(std::string(bitmap) + ".png");
        expected.insert(std::string(bitmap) + "#2x.png");
    }
    EXPECT_EQ(names, expected);

    // Looked up by file name without regard to case, as the editor asks for them.
    const VSTGUI::ResourceTable& table = VSTGUI::moduleResources();
    for (const char* name : {"tarvik_brask.UIDESC", "BRASK_KNOB.png", "brask_about#2X.PNG"})
    {
        const VSTGUI::EmbeddedResource* found = table.find(name);
        ASSERT_NE(found, nullptr) << name;
        EXPECT_EQ(strcasecmp(found->name, name), 0) << name;
    }
    EXPECT_EQ(table.find("Brask_knob"), nullptr);
}

} // namespace
