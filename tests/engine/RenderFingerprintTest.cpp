// SPDX-License-Identifier: GPL-3.0-or-later
// Bit-exact fingerprints of the engine's output. Each scenario plays a scripted, pseudo-random
// performance (chords past eight voices, note-offs, controllers, parameter moves) through the
// engine and hashes every output sample and the voices' final state bit for bit. The golden
// renders allow a tolerance; these do not: any change to the engine's arithmetic or its order
// changes a hash.
//
// To regenerate after an intended change of the sound, run
//   BRASK_PRINT_FINGERPRINTS=1 build/tests/engine/brask_engine_fingerprint_tests
//   --gtest_filter='RenderFingerprint*'
// and paste the printed values into kScenarios.
#include "EngineRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace {

using namespace Synth;
using TestRig::EngineRig;

struct Scenario
{
    const char* name;
    double sampleRate;
    double glide; // voice mode: the Glide parameter's normalized value
    std::initializer_list<std::pair<int32, double>> params;
    std::initializer_list<int32> blockSizes; // cycled
    uint32 seed;
    uint64_t fingerprint;
};

// Mode values: 6 * value truncated gives the voice mode.
constexpr double kPoly = 0.0, kPolyLegato = 0.2, kPolyGlide = 0.4, kMono = 0.55, kMonoLegato = 0.7,
                 kMonoGlide = 0.9;

const Scenario kScenarios[] = {
    {"poly", 44100.0, kPoly, {}, {128}, 1, 0x249013E0BFAC5FF9ull},
    {"polyLegato", 44100.0, kPolyLegato, {{kGlideBend, 0.8}}, {128}, 2, 0x92E68C0BCF1CDC2Dull},
    {"polyGlide",
     44100.0,
     kPolyGlide,
     {{kGlideRate, 0.6}, {kGlideBend, 0.2}},
     {100},
     3,
     0x06925769526A036Full},
    {"mono", 44100.0, kMono, {{kVibrato, 0.9}}, {64}, 4, 0xE3BAFD588FAE5B4Cull},
    {"monoLegato",
     48000.0,
     kMonoLegato,
     {{kVibrato, 0.1}, {kNoise, 0.3}},
     {256},
     5,
     0x0E7F35854E34BA92ull},
    {"monoGlide",
     96000.0,
     kMonoGlide,
     {{kGlideRate, 0.8}, {kLfoRate, 0.95}},
     {512},
     6,
     0x52506662B477C36Bull},
    {"vibratoBothOscillators",
     48000.0,
     kPoly,
     {{kVibrato, 0.95}, {kLfoRate, 0.9}},
     {128},
     7,
     0xB7C6414A9DFD8C16ull},
    {"vibratoRestartsOsc2",
     44100.0,
     kPolyGlide,
     {{kVibrato, 0.05}, {kOscTune, 0.9}},
     {128},
     8,
     0x4D2B120DCB1018FDull},
    {"noiseAndResonance",
     44100.0,
     kPoly,
     {{kNoise, 1.0}, {kVcfReso, 1.0}, {kVcfEnv, 0.9}, {kVcfLfo, 0.7}},
     {128},
     9,
     0xB4EF1A33B8B369D0ull},
    {"fastEnvelopes",
     48000.0,
     kPoly,
     {{kEnvAtt, 0.0}, {kEnvDec, 0.1}, {kEnvSus, 0.3}, {kEnvRel, 0.1}, {kVcfAtt, 0.0}},
     {128},
     10,
     0x6FEA059C2A5E750Cull},
    {"singleSampleBlocks", 44100.0, kPolyGlide, {{kNoise, 0.2}}, {1}, 11, 0xA54DCDE031A02CE9ull},
    {"largeBlocks",
     96000.0,
     kPoly,
     {{kOctave, 1.0}, {kTuning, 0.8}},
     {4096},
     12,
     0xABD1D8B549D4E3EBull},
    {"oddBlocks",
     48000.0,
     kMonoGlide,
     {{kOctave, 0.0}},
     {1, 7, 33, 32, 500, 4096, 2, 129},
     13,
     0x02CE128C3274854Bull},
    {"highNotes",
     44100.0,
     kPoly,
     {{kOctave, 1.0}, {kOscTune, 0.0}, {kOscFine, 1.0}},
     {64},
     14,
     0xA1D175F06569E2F9ull},
    {"releasesMidBlock",
     48000.0,
     kPoly,
     {{kEnvAtt, 0.1}, {kEnvRel, 0.15}},
     {512},
     15,
     0x5269C91CA16956BCull},
    {"decayToSilence",
     44100.0,
     kPolyLegato,
     {{kEnvSus, 0.0}, {kEnvDec, 0.2}, {kEnvRel, 0.05}},
     {256},
     16,
     0x37A880C4A1C06004ull},
    {"decayToSilenceOddBlocks",
     96000.0,
     kPoly,
     {{kEnvSus, 0.0}, {kEnvDec, 0.3}, {kNoise, 0.5}},
     {37, 1, 300},
     17,
     0xCCB0E87F6D20FDEBull},
};

/** The bits of everything rendered, folded into FNV-1a. */
class Fingerprint
{
public:
    void add(const void* data, size_t size)
    {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i)
            hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    }
    uint64_t value() const { return hash; }

private:
    uint64_t hash = 0xCBF29CE484222325ull;
};

class Performance
{
public:
    explicit Performance(uint32 seed) : state(seed * 2654435761u + 1u) {}

    uint32 next(uint32 range)
    {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    }
    double unit() { return next(1001) / 1000.0; }

private:
    uint32 state;
};

constexpr uint32 kControllers[] = {kModWheelId,      kPitchBendId,    kFilterModUpId,
                                   kFilterModDownId, kResonanceCtlId, kAftertouchId};

/** About three seconds of playing: chords of up to ten notes (so voices are stolen), single
    notes, releases, controller moves and a few parameter moves, then a release to silence. */
uint64_t play(const Scenario& scenario, RenderPath path)
{
    EngineRig rig(scenario.sampleRate);
    rig.path = path;
    rig.set(kGlide, scenario.glide);
    for (const auto& [param, value] : scenario.params)
        rig.set(param, value);

    Performance dice(scenario.seed);
    Fingerprint print;
    int32 held[16] = {};
    int32 heldCount = 0;
    const auto total = static_cast<int32>(3.0 * scenario.sampleRate);
    const int32* sizes = scenario.blockSizes.begin();
    const auto sizeCount = static_cast<size_t>(scenario.blockSizes.size());
    size_t block = 0;
    float loudest = 0.0f;
    for (int32 rendered = 0; rendered < total; ++block)
    {
        const int32 n = sizes[block % sizeCount];
        const bool releasing = rendered > total - static_cast<int32>(scenario.sampleRate);
        // Events arrive at a rate independent of the block size.
        const uint32 eventChance = static_cast<uint32>(1 + 2000 / (n + 20));
        if (!releasing && dice.next(eventChance * 4) < 4u)
        {
            const uint32 what = dice.next(10);
            if (what < 3 && heldCount < 16)
            {
                const int32 chord = 1 + static_cast<int32>(dice.next(10));
                for (int32 i = 0; i < chord && heldCount < 16; ++i)
                {
                    const auto note = static_cast<int32>(24 + dice.next(90));
                    rig.noteOn(static_cast<int32>(dice.next(static_cast<uint32>(n))), note,
                               0.05f + 0.95f * static_cast<float>(dice.unit()));
                    held[heldCount++] = note;
                }
            }
            else if (what < 6 && heldCount > 0)
            {
                const auto index = static_cast<int32>(dice.next(static_cast<uint32>(heldCount)));
                rig.noteOff(static_cast<int32>(dice.next(static_cast<uint32>(n))), held[index]);
                held[index] = held[--heldCount];
            }
            else if (what < 9)
            {
                applyControllerParameter(rig.state(), kControllers[dice.next(6)], dice.unit());
            }
            else
            {
                const int32 movable[] = {kOscMix, kVcfFreq, kVcfReso, kVcfEnv, kGlideRate, kNoise};
                rig.set(movable[dice.next(6)], dice.unit());
            }
        }
        if (releasing)
            while (heldCount > 0)
                rig.noteOff(0, held[--heldCount]);

        const int32 count = std::min(n, total - rendered);
        rig.render(count);
        print.add(rig.left.data(), sizeof(float) * static_cast<size_t>(count));
        print.add(rig.right.data(), sizeof(float) * static_cast<size_t>(count));
        loudest = std::max(loudest, TestRig::peak(rig.left.data(), count));
        rendered += count;
    }
    EXPECT_GT(loudest, 0.01f) << scenario.name << ": the performance never sounded";
    print.add(rig.state().voices, sizeof(rig.state().voices));
    print.add(&rig.state().cutoffSmooth, sizeof(float));
    print.add(&rig.state().noiseState, sizeof(uint32));
    return print.value();
}

void PrintTo(const Scenario& scenario, std::ostream* out)
{
    *out << scenario.name;
}

/** Both ways through the sample loop must give the reference bits. The references are those of
    the GCC build that ships: another compiler may lower the C library's maths differently (a
    sine and cosine of one argument fused into one call, say), which moves the last bits, so
    there the two paths are held to each other instead. */
class RenderFingerprint : public testing::TestWithParam<std::tuple<Scenario, RenderPath>>
{};

TEST_P(RenderFingerprint, MatchesTheReferenceBitForBit)
{
    const auto& [scenario, path] = GetParam();
    const uint64_t fingerprint = play(scenario, path);
    if (std::getenv("BRASK_PRINT_FINGERPRINTS"))
        std::printf("%s 0x%016" PRIX64 "ull\n", scenario.name, fingerprint);
#if defined(__GNUC__) && !defined(__clang__)
    EXPECT_EQ(fingerprint, scenario.fingerprint) << scenario.name;
#else
    EXPECT_EQ(fingerprint, play(scenario, RenderPath::kScalar)) << scenario.name;
#endif
}

INSTANTIATE_TEST_SUITE_P(Scenarios, RenderFingerprint,
                         testing::Combine(testing::ValuesIn(kScenarios),
                                          testing::Values(RenderPath::kScalar, RenderPath::kLanes)),
                         [](const testing::TestParamInfo<std::tuple<Scenario, RenderPath>>& info) {
                             const bool lanes = std::get<1>(info.param) == RenderPath::kLanes;
                             return std::string(std::get<0>(info.param).name) +
                                    (lanes ? "_lanes" : "_scalar");
                         });

TEST(RenderPaths, LanesRunInSse2WhereTheTargetHasIt)
{
#if defined(__SSE2__) && defined(BRASK_SIMD)
    EXPECT_TRUE(renderLanesAvailable());
#else
    GTEST_SKIP() << "no SSE2 lanes in this build";
#endif
}

} // namespace
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
