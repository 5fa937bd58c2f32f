// SPDX-License-Identifier: GPL-3.0-or-later
// The instance's state as a VST 2 host keeps it: saved as one chunk, restored into this or
// another instance, and damaged or foreign chunks refused without a change.
#include "BuiltVst2Module.h"
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

constexpr float kSampleRate = 44100.0f;
constexpr int kBlock = 200;

std::unique_ptr<Vst2Instance> startedEffect()
{
    return Vst2Module::shared().startedEffect(kSampleRate, kBlock);
}

struct Snapshot
{
    std::vector<float> values;
    std::vector<std::string> displays;
    std::string program;
    bool operator==(const Snapshot& other) const
    {
        return values == other.values && displays == other.displays && program == other.program;
    }
};

Snapshot snapshot(Vst2Instance& instance)
{
    Snapshot s;
    for (int i = 0; i < instance.effect->numParams; ++i)
    {
        s.values.push_back(instance.effect->getParameter(instance.effect, i));
        s.displays.push_back(instance.text(effGetParamDisplay, i));
    }
    s.program = instance.text(effGetProgramName);
    return s;
}

/** A few notes through the instance; the samples of both channels. */
std::vector<float> play(Vst2Instance& instance)
{
    std::vector<float> out;
    std::vector<float> left(kBlock), right(kBlock);
    for (int block = 0; block < 40; ++block)
    {
        if (block == 0) instance.sendMidi({{10, {0x90, 50, 100}}, {10, {0x90, 57, 70}}});
        if (block == 20) instance.sendMidi({{0, {0x80, 50, 0}}, {0, {0x80, 57, 0}}});
        instance.render(left.data(), right.data(), kBlock);
        out.insert(out.end(), left.begin(), left.end());
        out.insert(out.end(), right.begin(), right.end());
    }
    return out;
}

/** A sound far from the defaults, and a program name. */
void shape(Vst2Instance& instance)
{
    AEffect* e = instance.effect;
    const std::pair<int, float> moves[] = {{0, 0.2f},  {1, 0.7f},   {6, 0.35f}, {7, 0.8f},
                                           {15, 0.1f}, {18, 0.25f}, {21, 0.4f}, {22, 0.9f}};
    for (const auto& move : moves)
        e->setParameter(e, move.first, move.second);
    char name[] = "Glass Pad";
    instance.dispatch(effSetProgramName, 0, 0, name);
}

class Vst2Chunk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Vst2Module::shared().error.empty()) << Vst2Module::shared().error;
        original = startedEffect();
        ASSERT_NE(original, nullptr);
        shape(*original);
        float left[kBlock], right[kBlock];
        original->render(left, right, kBlock); // the moves reach the processor
        saved = original->chunk();
        ASSERT_FALSE(saved.empty());
    }

    std::unique_ptr<Vst2Instance> original;
    std::vector<unsigned char> saved;
};

TEST_F(Vst2Chunk, RestoresSoundParametersAndNameInAnotherInstance)
{
    const Snapshot expected = snapshot(*original);
    EXPECT_EQ(expected.program, "Glass Pad");

    std::unique_ptr<Vst2Instance> copy = startedEffect();
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(snapshot(*copy) == expected);
    ASSERT_TRUE(copy->setChunk(saved));
    EXPECT_TRUE(snapshot(*copy) == expected);
    EXPECT_EQ(copy->chunk(), saved);

    // The copy plays exactly as the original.
    const std::vector<float> heard = play(*copy);
    EXPECT_EQ(heard, play(*original));

    // And differently from an instance left at the defaults.
    std::unique_ptr<Vst2Instance> plain = startedEffect();
    ASSERT_NE(plain, nullptr);
    EXPECT_NE(heard, play(*plain));
}

TEST_F(Vst2Chunk, RestoreWinsOverMovesNotYetRendered)
{
    std::unique_ptr<Vst2Instance> copy = startedEffect();
    ASSERT_NE(copy, nullptr);
    std::unique_ptr<Vst2Instance> reference = startedEffect();
    ASSERT_NE(reference, nullptr);
    ASSERT_TRUE(reference->setChunk(saved));

    copy->effect->setParameter(copy->effect, 0, 0.9f); // still queued when the chunk arrives
    copy->effect->setParameter(copy->effect, 6, 0.05f);
    ASSERT_TRUE(copy->setChunk(saved));
    EXPECT_EQ(play(*copy), play(*reference));
}

TEST_F(Vst2Chunk, HoldsMovesNotYetRendered)
{
    // A host may set parameters and save while suspended, with no block in between.
    hostLog().version = 2400;
    std::unique_ptr<Vst2Instance> idle = Vst2Module::shared().openEffect();
    idle->effect->setParameter(idle->effect, 6, 0.35f);
    std::unique_ptr<Vst2Instance> copy = startedEffect();
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(copy->setChunk(idle->chunk()));
    EXPECT_EQ(copy->effect->getParameter(copy->effect, 6), 0.35f);
}

std::vector<unsigned char> flipped(std::vector<unsigned char> bytes, size_t at)
{
    bytes[at] ^= 0x20;
    return bytes;
}

/** A well-formed chunk around a processor state altered by change. */
template <typename Change>
std::vector<unsigned char> rewritten(const std::vector<unsigned char>& bytes, Change change)
{
    StateChunk chunk;
    if (!chunk.read(bytes.data(), bytes.size())) return {};
    change(chunk.processorState);
    return chunk.write();
}

void putDouble(std::vector<uint8_t>& state, size_t index, double value)
{
    std::memcpy(state.data() + 4 + 8 * index, &value, sizeof value);
}

TEST_F(Vst2Chunk, DamagedOrForeignChunksChangeNothing)
{
    const std::vector<unsigned char> processorState(saved.begin() + 12, saved.begin() + 212);
    std::vector<unsigned char> longer = saved;
    longer.push_back(0);
    const struct
    {
        const char* what;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"empty", {}},
        {"only the tag", {saved.begin(), saved.begin() + 4}},
        {"truncated by one byte", {saved.begin(), saved.end() - 1}},
        {"truncated in the middle", {saved.begin(), saved.begin() + saved.size() / 2}},
        {"one byte longer", longer},
        {"tag damaged", flipped(saved, 1)},
        {"version damaged", flipped(saved, 4)},
        {"length damaged", flipped(saved, 8)},
        {"a value damaged", flipped(saved, 60)},
        {"checksum damaged", flipped(saved, saved.size() - 2)},
        {"a bare processor state", processorState},
        {"a value that is not a number",
         rewritten(saved, [](std::vector<uint8_t>& s) { putDouble(s, 3, std::nan("")); })},
        {"a value out of range",
         rewritten(saved, [](std::vector<uint8_t>& s) { putDouble(s, 5, 1.5); })},
        {"a value count that is not the processor's",
         rewritten(saved, [](std::vector<uint8_t>& s) { s[0] = 23; })},
        {"a processor state of another length",
         rewritten(saved, [](std::vector<uint8_t>& s) { s.resize(s.size() - 8); })},
    };

    std::unique_ptr<Vst2Instance> target = startedEffect();
    ASSERT_NE(target, nullptr);
    const Snapshot before = snapshot(*target);
    const std::vector<unsigned char> chunkBefore = target->chunk();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(target->setChunk(c.bytes));
        EXPECT_TRUE(snapshot(*target) == before);
        EXPECT_EQ(target->chunk(), chunkBefore);
    }
    // Refusals leave the instance playing as an untouched one does.
    std::unique_ptr<Vst2Instance> untouched = startedEffect();
    ASSERT_NE(untouched, nullptr);
    EXPECT_EQ(play(*target), play(*untouched));
}

} // namespace
