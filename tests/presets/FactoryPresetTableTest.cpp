// SPDX-License-Identifier: GPL-3.0-or-later
// The bank the module carries against the bank's .vstpreset files: both come from the bank's
// source by two roads (the controller's conversion compiled into a table, and the built module
// writing files), and must agree bit for bit.
#include "FactoryBank.h"
#include "FactoryPresets.h"
#include "VstPresetFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

TEST(FactoryPresetTable, HoldsExactlyTheBanksPresetFiles)
{
    Presets::FactoryBank bank;
    std::string error;
    ASSERT_TRUE(Presets::FactoryBank::read(BRASK_BANK_SOURCE, bank, error)) << error;
    std::map<std::string, std::filesystem::path> files; // by preset name, wherever they lie
    for (const auto& entry : std::filesystem::recursive_directory_iterator(BRASK_BANK_DIR))
    {
        if (entry.path().extension() == ".vstpreset")
            files[entry.path().stem().string()] = entry.path();
    }
    ASSERT_EQ(FactoryPresets::count(), static_cast<int32_t>(bank.presets().size()));
    ASSERT_EQ(files.size(), bank.presets().size());
    EXPECT_EQ(FactoryPresets::at(-1), nullptr);
    EXPECT_EQ(FactoryPresets::at(FactoryPresets::count()), nullptr);

    for (int32_t i = 0; i < FactoryPresets::count(); ++i)
    {
        const FactoryPreset& preset = *FactoryPresets::at(i);
        SCOPED_TRACE(preset.name);
        EXPECT_EQ(preset.name, bank.presets()[static_cast<size_t>(i)].name); // in the bank's order
        EXPECT_EQ(preset.category, bank.presets()[static_cast<size_t>(i)].category);
        Presets::VstPreset file;
        ASSERT_TRUE(Presets::VstPresetFile::read(files[preset.name].string(), file, error))
            << error;
        // count, the values, the bypass word
        const std::vector<uint8_t>& state = file.componentState;
        ASSERT_EQ(state.size(), 8u + 8u * FactoryPreset::kValueCount);
        int32_t count = 0;
        std::memcpy(&count, state.data(), sizeof count);
        EXPECT_EQ(count, FactoryPreset::kValueCount);
        EXPECT_EQ(std::memcmp(state.data() + 4, preset.values, sizeof preset.values), 0);
    }
}

} // namespace
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
