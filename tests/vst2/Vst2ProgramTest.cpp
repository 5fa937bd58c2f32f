// SPDX-License-Identifier: GPL-3.0-or-later
// The factory bank as a VST 2 host sees it: the instance's programs, chosen by the host or by a
// MIDI program change, named and renamed, and kept in the chunk with the sound.
#include "BuiltVst2Module.h"
#include "FactoryPresets.h"
#include "StateChunk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace Steinberg::Vst::Tarvik;
using namespace Vst2Test;

namespace {

constexpr int kBlock = 256;
constexpr int kVcfFreqIndex = 6;

/** The processor's values in the instance's chunk. */
std::vector<double> chunkValues(Vst2Instance& instance)
{
    const std::vector<unsigned char> bytes = instance.chunk();
    StateChunk chunk;
    if (!chunk.read(bytes.data(), bytes.size())) return {};
    std::vector<double> values(processorValueCount(chunk.processorState));
    std::memcpy(values.data(), chunk.processorState.data() + 4, values.size() * sizeof(double));
    return values;
}

std::vector<double> presetValues(int index)
{
    const FactoryPreset* preset = FactoryPresets::at(index);
    return {preset->values, preset->values + FactoryPreset::kValueCount};
}

/** Blocks of a held chord, after the MIDI of the first. */
std::vector<float> play(Vst2Instance& instance, std::vector<Vst2Instance::Midi> midi)
{
    midi.push_back({8, {0x90, 48, 100}});
    midi.push_back({8, {0x90, 55, 90}});
    instance.sendMidi(midi);
    std::vector<float> out, left(kBlock), right(kBlock);
    for (int block = 0; block < 30; ++block)
    {
        instance.render(left.data(), right.data(), kBlock);
        out.insert(out.end(), left.begin(), left.end());
    }
    return out;
}

class Vst2Programs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Vst2Module::shared().error.empty()) << Vst2Module::shared().error;
        effect = Vst2Module::shared().startedEffect(48000.0f, kBlock);
        ASSERT_NE(effect, nullptr);
        ASSERT_EQ(FactoryPresets::count(), 45);
    }

    std::string name(int index)
    {
        char text[64] = {};
        EXPECT_EQ(effect->dispatch(effGetProgramNameIndexed, index, 0, text), 1) << index;
        return text;
    }

    std::unique_ptr<Vst2Instance> effect;
};

TEST_F(Vst2Programs, AreTheFactoryBank)
{
    AEffect* e = effect->effect;
    EXPECT_EQ(e->numPrograms, FactoryPresets::count());
    for (int i = 0; i < FactoryPresets::count(); ++i)
        EXPECT_EQ(name(i), FactoryPresets::at(i)->name);
    // A new instance plays program 0, the sound of a new instance.
    EXPECT_EQ(effect->dispatch(effGetProgram), 0);
    EXPECT_EQ(effect->text(effGetProgramName), "Init");
    EXPECT_EQ(chunkValues(*effect), presetValues(0));

    for (const int index : {1, 17, FactoryPresets::count() - 1})
    {
        SCOPED_TRACE(index);
        effect->dispatch(effSetProgram, 0, index);
        EXPECT_EQ(effect->dispatch(effGetProgram), index);
        EXPECT_EQ(effect->text(effGetProgramName), FactoryPresets::at(index)->name);
        EXPECT_EQ(chunkValues(*effect), presetValues(index)); // bit for bit
        for (int p = 0; p < FactoryPreset::kValueCount; ++p)
            EXPECT_EQ(e->getParameter(e, p), static_cast<float>(presetValues(index)[p])) << p;
    }

    // Programs that do not exist change nothing and name nothing.
    const std::vector<double> before = chunkValues(*effect);
    for (const int index : {-1, FactoryPresets::count(), 1 << 20})
    {
        effect->dispatch(effSetProgram, 0, index);
        char text[8] = {'x', 0};
        EXPECT_EQ(effect->dispatch(effGetProgramNameIndexed, index, 0, text), 0);
        EXPECT_STREQ(text, "x");
    }
    EXPECT_EQ(effect->dispatch(effGetProgram), FactoryPresets::count() - 1);
    EXPECT_EQ(chunkValues(*effect), before);
}

TEST_F(Vst2Programs, PlayAsTheirPresetsAndFollowAProgramChange)
{
    // Chosen by the host, or by a program change in the block's MIDI: the same sound.
    const int index = 9;
    effect->dispatch(effSetProgram, 0, index);
    const std::vector<float> chosen = play(*effect, {});
    std::unique_ptr<Vst2Instance> changed = Vst2Module::shared().startedEffect(48000.0f, kBlock);
    ASSERT_NE(changed, nullptr);
    const std::vector<float> heard = play(*changed, {{0, {0xC3, index, 0}}});
    EXPECT_EQ(heard, chosen);
    std::unique_ptr<Vst2Instance> init = Vst2Module::shared().startedEffect(48000.0f, kBlock);
    ASSERT_NE(init, nullptr);
    EXPECT_NE(play(*init, {}), heard);

    // The host sees the new values at once, the program and its name after its next idle call.
    AEffect* e = changed->effect;
    EXPECT_EQ(e->getParameter(e, kVcfFreqIndex),
              static_cast<float>(presetValues(index)[kVcfFreqIndex]));
    changed->dispatch(effEditIdle);
    EXPECT_EQ(changed->dispatch(effGetProgram), index);
    EXPECT_EQ(changed->text(effGetProgramName), FactoryPresets::at(index)->name);
    EXPECT_EQ(chunkValues(*changed), presetValues(index));

    // Program numbers beyond the bank are ignored.
    play(*changed, {{0, {0xC0, 100, 0}}});
    changed->dispatch(effEditIdle);
    EXPECT_EQ(changed->dispatch(effGetProgram), index);
}

TEST_F(Vst2Programs, RenamingAndRestoringKeepTheSoundAndItsName)
{
    AEffect* e = effect->effect;
    effect->dispatch(effSetProgram, 0, 3);
    e->setParameter(e, kVcfFreqIndex, 0.123f); // an edit of the program
    char renamed[] = "My Lead";
    effect->dispatch(effSetProgramName, 0, 0, renamed);
    EXPECT_EQ(effect->text(effGetProgramName), "My Lead");
    EXPECT_EQ(name(3), "My Lead");
    EXPECT_EQ(name(4), FactoryPresets::at(4)->name);
    const std::vector<unsigned char> saved = effect->chunk();
    StateChunk chunk;
    ASSERT_TRUE(chunk.read(saved.data(), saved.size()));
    EXPECT_EQ(chunk.programName, "My Lead");

    // Another instance takes sound and name; a bank name also selects its program, so that a
    // host that chooses the saved program again after restoring keeps the edited sound.
    char bankName[32] = {};
    std::strcpy(bankName, FactoryPresets::at(3)->name);
    for (const char* programName : {"My Lead", static_cast<const char*>(bankName)})
    {
        SCOPED_TRACE(programName);
        char text[32] = {};
        std::strcpy(text, programName);
        effect->dispatch(effSetProgramName, 0, 0, text);
        const std::vector<unsigned char> bytes = effect->chunk();
        std::unique_ptr<Vst2Instance> copy = Vst2Module::shared().startedEffect(48000.0f, kBlock);
        ASSERT_NE(copy, nullptr);
        ASSERT_TRUE(copy->setChunk(bytes));
        EXPECT_EQ(copy->text(effGetProgramName), programName);
        const int selected = static_cast<int>(copy->dispatch(effGetProgram));
        EXPECT_EQ(selected, programName == bankName ? 3 : 0);
        copy->dispatch(effSetProgram, 0, selected);
        EXPECT_EQ(copy->effect->getParameter(copy->effect, kVcfFreqIndex), 0.123f);
        EXPECT_EQ(copy->chunk(), bytes);
    }
}

} // namespace
