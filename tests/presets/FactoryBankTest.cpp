// SPDX-License-Identifier: GPL-3.0-or-later
// The generated factory bank, loaded into the built bundle as a host loads it, and played on the
// test phrases it is level-matched on.
#include "BankBuilder.h"
#include "BankLocator.h"
#include "PresetAudition.h"
#include "VstPresetFile.h"

#include "base/source/fobject.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/vstpresetfile.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Presets {
namespace {

class FactoryBankFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(FactoryBank::read(BRASK_BANK_SOURCE, bank, error)) << error;
        session = Render::PluginSession::open(BRASK_TEST_BUNDLE, error);
        ASSERT_TRUE(session) << error;
    }

    static std::vector<uint8_t> bytesOf(MemoryStream& stream)
    {
        const auto* data = reinterpret_cast<const uint8_t*>(stream.getData());
        return std::vector<uint8_t>(data, data + stream.getSize());
    }

    FactoryBank bank;
    std::unique_ptr<Render::PluginSession> session;
};

TEST_F(FactoryBankFiles, EveryFileLoadsIntoProcessorAndControllerWithTheSourceValues)
{
    BankBuilder builder(*session); // before anything is loaded: the fresh state is "Init"
    Hosting::PluginInstance& instance = session->instance();
    const FUID processorClass = FUID::fromTUID(instance.processorClass().cid);
    // Flat, as hosts list a plug-in's presets; the category is in each file.
    const std::vector<BankEntry> scanned = scanBank(BRASK_BANK_DIR);
    ASSERT_EQ(scanned.size(), bank.presets().size()) << "no stale files";

    for (const BankPreset& source : bank.presets())
    {
        SCOPED_TRACE(source.name);
        const std::string path = std::string(BRASK_BANK_DIR) + "/" + source.name + ".vstpreset";
        const BankEntry* entry = findPreset(scanned, source.name);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->path, path);
        EXPECT_EQ(entry->category, source.category);
        EXPECT_EQ(entry->description, source.description);
        VstPreset ours;
        std::string error;
        ASSERT_TRUE(VstPresetFile::read(path, ours, error)) << error;
        EXPECT_EQ(VstPresetFile::metaInfoValue(ours.metaInfo, "Name"), source.name);
        EXPECT_EQ(VstPresetFile::metaInfoValue(ours.metaInfo, "MusicalCategory"), source.category);
        EXPECT_EQ(VstPresetFile::metaInfoValue(ours.metaInfo, "PlugInName"), "Brask");

        IPtr<IBStream> file = owned(FileStream::open(path.c_str(), "rb"));
        ASSERT_TRUE(file);
        PresetFile sdk(file);
        ASSERT_TRUE(sdk.readChunkList());
        EXPECT_EQ(sdk.getClassID(), processorClass);
        EXPECT_TRUE(sdk.contains(kMetaInfo));
        ASSERT_TRUE(sdk.restoreComponentState(instance.component()));
        ASSERT_TRUE(sdk.restoreComponentState(instance.controller()));
        ASSERT_TRUE(sdk.restoreControllerState(instance.controller()));

        ProcessorState expected;
        ASSERT_TRUE(builder.stateOf(source, expected, error)) << error;
        IPtr<MemoryStream> saved = owned(new MemoryStream());
        ASSERT_EQ(instance.component()->getState(saved), kResultOk);
        EXPECT_EQ(bytesOf(*saved), expected.bytes());
        EXPECT_EQ(ours.componentState, expected.bytes());
        for (size_t id = 0; id < expected.values.size(); ++id)
        {
            EXPECT_DOUBLE_EQ(instance.controller()->getParamNormalized(static_cast<ParamID>(id)),
                             expected.values[id])
                << "parameter " << id;
        }
    }
}

TEST_F(FactoryBankFiles, SettingsThatPresetsCannotStoreAreRefused)
{
    BankBuilder builder(*session);
    const struct
    {
        const char* title;
        const char* value;
        const char* message;
    } cases[] = {
        {"Volume", "0.5", "unknown parameter \"Volume\""},
        {"Glide", "Sideways", "is not a value of \"Glide\""},
        {"Octave", "-1", "outside 0..1"}, // a number is normalized; "-1" in quotes is the text
        {"Mod Wheel", "0.5", "performance control"},
    };
    for (const auto& c : cases)
    {
        BankPreset preset{"P", "Bass", "Tarvik", "d", {{c.title, c.value}}, 1};
        ProcessorState state;
        std::string error;
        EXPECT_FALSE(builder.stateOf(preset, state, error)) << c.title;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    BankPreset quoted{"P", "Bass", "Tarvik", "d", {{"Octave", "\"-1\""}}, 1};
    ProcessorState state;
    std::string error;
    ASSERT_TRUE(builder.stateOf(quoted, state, error)) << error;
    EXPECT_DOUBLE_EQ(state.values[22], 0.25);
}

TEST_F(FactoryBankFiles, EveryPresetIsLevelMatchedOnItsPhrase)
{
    for (const BankPreset& source : bank.presets())
    {
        SCOPED_TRACE(source.name);
        Audition audition;
        std::string error;
        ASSERT_TRUE(auditionPreset(BRASK_TEST_BUNDLE,
                                   std::string(BRASK_BANK_DIR) + "/" + presetFileName(source),
                                   phraseFor(source.category), 48000.0, audition, error))
            << error;
        const Loudness& level = audition.loudness;
        EXPECT_TRUE(level.finite);
        EXPECT_NEAR(level.rmsDb, kTargetLoudnessDb, kLoudnessToleranceDb);
        EXPECT_LT(level.peakDb, kPeakCeilingDb);
        const double quietest =
            *std::min_element(audition.noteRmsDb.begin(), audition.noteRmsDb.end());
        EXPECT_GT(quietest, level.rmsDb - kQuietestNoteBelowDb) << "a note hardly sounds";
    }
}

} // namespace
} // namespace Presets
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
