// SPDX-License-Identifier: GPL-3.0-or-later
// Envelopes, filter and glide: phase changes, the shared cutoff modulation, the coefficient's
// bounds and the asymmetric glide.
#include "EngineRig.h"
#include "Envelope.h"
#include "Filter.h"
#include "Glide.h"
#include "VoiceAllocation.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Steinberg::Vst::Tarvik;
using namespace Steinberg::Vst::Tarvik::Synth;
using Steinberg::int32;
using TestRig::EngineRig;

namespace {

/** A note-on at the start of the next rendered block. */
void play(EngineRig& rig, int32 note)
{
    rig.noteOn(0, note, 0.8f);
}

TEST(Envelopes, AttackOvershootsThenDecaysBackToFullSustain)
{
    EngineRig rig;
    rig.set(kEnvSus, 1.0);
    play(rig, 60);
    float highest = 0.0f;
    for (int block = 0; block < 40; ++block)
    {
        rig.render(32);
        highest = std::max(highest, rig.voice(0).amp.level);
    }
    // The decay phase begins only at a tick after the level passed 1.0.
    EXPECT_GT(highest, 1.0f);
    EXPECT_LT(highest, 1.0f + 34 * 2 * rig.state().ampAttack);
    EXPECT_EQ(rig.voice(0).amp.target, 1.0f);
    EXPECT_EQ(rig.voice(0).amp.rate, rig.state().ampDecay);
    rig.render(44100 * 2);
    EXPECT_NEAR(rig.voice(0).amp.level, 1.0f, 1e-3);
    EXPECT_GE(rig.voice(0).amp.level, 1.0f);
}

TEST(Envelopes, PhaseChangesOnlyOnTicks)
{
    EngineRig rig;
    Voice voice{};
    voice.amp.level = 1.2f;
    voice.amp.target = 2.0f;
    voice.filterEnv.level = 0.9f;
    voice.filterEnv.target = 2.0f;
    voice.filterEnv.rate = 0.5f;
    voice.amp.decayAfterPeak(rig.state().ampDecay, rig.state().ampSustain);
    EXPECT_EQ(voice.amp.target, rig.state().ampSustain);
    EXPECT_EQ(voice.amp.rate, rig.state().ampDecay);

    voice.filterEnv.step(); // 0.9 -> 1.45, past 1.0: decay
    voice.filterEnv.decayAfterPeak(rig.state().filtDecay, rig.state().filtSustain);
    EXPECT_FLOAT_EQ(voice.filterEnv.level, 1.45f);
    EXPECT_EQ(voice.filterEnv.target, rig.state().filtSustain);
    EXPECT_EQ(voice.filterEnv.rate, rig.state().filtDecay);

    // The amplitude level passing 1.0 between ticks changes nothing yet.
    EngineRig fast;
    fast.set(kEnvAtt, 0.0);
    play(fast, 60);
    fast.render(33); // one tick, at sample 0; the next falls on sample 33
    const float level = fast.voice(0).amp.level;
    EXPECT_EQ(fast.voice(0).amp.target, 2.0f);
    EXPECT_GT(fast.voice(0).filterEnv.level, 0.0f);
    const float fenvAfterFirstTick = fast.voice(0).filterEnv.level;
    fast.render(1); // sample 33: second tick
    EXPECT_GT(fast.voice(0).filterEnv.level, fenvAfterFirstTick);
    EXPECT_GT(fast.voice(0).amp.level, level);
}

TEST(Envelopes, ReleaseDuringAttackFallsFromThePresentLevel)
{
    EngineRig rig;
    play(rig, 60);
    rig.render(50);
    const float level = rig.voice(0).amp.level;
    ASSERT_GT(level, 0.2f);
    ASSERT_LT(level, 1.0f);
    rig.noteOff(0, 60);
    rig.render(1);
    EXPECT_LT(rig.voice(0).amp.level, level);
    EXPECT_GT(rig.voice(0).amp.level, level * 0.99f);
}

TEST(Envelopes, SilentVoiceIsClearedAfterTheBlockButKeepsFilterEnvelopeAndCutoff)
{
    EngineRig rig;
    rig.set(kEnvRel, 0.0); // release 0.1 per sample
    play(rig, 60);
    rig.render(2000);
    EXPECT_EQ(rig.state().activeVoices, 1);
    rig.noteOff(0, 60);
    rig.render(200);
    const Voice& voice = rig.voice(0);
    EXPECT_EQ(rig.state().activeVoices, 0);
    EXPECT_EQ(voice.amp.level, 0.0f);
    EXPECT_EQ(voice.amp.target, 0.0f);
    EXPECT_EQ(voice.filter.low, 0.0f);
    EXPECT_EQ(voice.filter.band, 0.0f);
    EXPECT_EQ(voice.filter.prevInput, 0.0f);
    EXPECT_GT(voice.filterEnv.level, 0.0f);
    EXPECT_GT(voice.filter.cutoff, 0.0f);
}

TEST(Envelopes, VoiceAtExactlyTheIdleLevelIsClearedNotLeftCounting)
{
    // Rendering skips a voice at or below the idle level, so clearing must take it too: one left
    // at exactly that level would never move again and keep the engine from ever going idle.
    EngineRig rig;
    play(rig, 60);
    rig.render(64);
    rig.voice(0).amp.level = kVoiceIdleLevel;
    rig.render(64);
    EXPECT_EQ(rig.voice(0).amp.level, 0.0f);
    EXPECT_EQ(rig.state().activeVoices, 0);
}

TEST(Filter, CoefficientIsClampedBetweenItsBounds)
{
    Voice voice{};
    voice.filter.keyCutoff = 1e-9f;
    voice.filterEnv.level = 0.0f;
    voice.filter.updateCutoff(0.0f, voice.filterEnv.level, 0.0f, 1.0f);
    EXPECT_EQ(voice.filter.cutoff, kMinCutoff);

    EngineRig rig;
    rig.set(kVcfReso, 1.0);
    for (double controller : {0.0, 0.5, 1.0})
    {
        applyControllerParameter(rig.state(), kResonanceCtlId, controller);
        const FilterShape shape = filterShape(rig.state().resoScale, rig.state().resoDamping);
        EXPECT_EQ(shape.damping, 0.0f);
        EXPECT_FLOAT_EQ(shape.cutoffLimit, 1.97f);
    }
    rig.set(kVcfReso, 0.0);
    applyControllerParameter(rig.state(), kResonanceCtlId, 0.0);
    EXPECT_NEAR(filterShape(rig.state().resoScale, rig.state().resoDamping).cutoffLimit,
                1.97 - 0.85 * 1.001, 1e-6);

    // The clamped coefficient is kept in the voice.
    voice.filter.cutoff = 5.0f;
    voice.filter.step({0.5f, 1.5f}, 0.25f);
    EXPECT_EQ(voice.filter.cutoff, 1.5f);
    EXPECT_EQ(voice.filter.prevInput, 0.25f);
}

TEST(Filter, CutoffModulationMovesOncePerSoundingVoiceAndTick)
{
    auto firstTick = [](int32 voices) {
        EngineRig rig;
        for (int32 i = 0; i < voices; ++i)
            play(rig, 40 + i);
        rig.render(1); // sample 0 is a tick
        return rig.state().cutoffSmooth;
    };
    EngineRig reference;
    const float target = reference.state().cutoffBase; // VCF LFO is 0: no LFO share
    const float one = firstTick(1);
    const float eight = firstTick(8);
    EXPECT_NEAR(one / target, 0.005, 2e-4);
    EXPECT_NEAR(eight / target, 1.0 - std::pow(0.995, 8), 2e-4);

    // A rendered block without a sounding voice ticks but leaves the modulation alone.
    EngineRig silent;
    silent.noteOff(0, 60);
    silent.render(100);
    EXPECT_EQ(silent.state().cutoffSmooth, 0.0f);
    EXPECT_GT(silent.state().lfoPhase, 0.0f);
}

TEST(Filter, FullResonanceRingsButStaysBounded)
{
    EngineRig rig;
    rig.set(kVcfReso, 1.0);
    rig.set(kVcfFreq, 1.0);
    rig.set(kVcfEnv, 1.0);
    rig.set(kNoise, 1.0);
    rig.set(kOctave, 1.0);
    for (int32 i = 0; i < 8; ++i)
        rig.noteOn(0, 100 + 3 * i, 1.0f);
    float highest = 0.0f;
    for (int block = 0; block < 200; ++block)
    {
        rig.render(512);
        ASSERT_TRUE(TestRig::allFinite(rig.left.data(), 512));
        highest = std::max(highest, TestRig::peak(rig.left.data(), 512));
    }
    EXPECT_GT(highest, 0.01f);
    EXPECT_LT(highest, 10.0f);
}

TEST(Filter, HardDrivenResonanceCannotRunAway)
{
    // At the highest coefficient and no damping a loud input used to push the band state past
    // the cubic's turning point, from where it grew to infinity within a few samples.
    Voice voice{};
    voice.amp.level = 1.0f;
    voice.gainFactor = 1.0f;
    voice.filter.cutoff = 1.97f;
    const FilterShape open{0.0f, 1.97f};
    float highest = 0.0f;
    for (int32 i = 0; i < 20000; ++i)
    {
        const float out = voice.filter.step(open, (i / 3) % 2 ? 4.0f : -4.0f);
        ASSERT_TRUE(std::isfinite(out)) << i;
        ASSERT_LE(std::fabs(voice.filter.band), 0.861f);
        highest = std::max(highest, std::fabs(out));
    }
    EXPECT_LT(highest, 100.0f);

    // Below the turning point the step is the plain cubic.
    Voice quiet{};
    quiet.filter.cutoff = 0.5f;
    quiet.filter.band = 0.3f;
    quiet.filter.step(FilterShape{0.2f, 1.8f}, 0.1f);
    const float low = 0.5f * 0.3f;
    const float band = 0.3f - (0.3f * 0.2f + low - 0.1f - 0.0f) * 0.5f;
    EXPECT_EQ(quiet.filter.band, band - ((band * 0.2f) * band) * band);
}

TEST(Glide, UpwardGlidesMoveTwiceAsFast)
{
    Voice up{};
    up.period = 100.0f;
    up.targetPeriod = 50.0f;
    Voice down{};
    down.period = 50.0f;
    down.targetPeriod = 100.0f;
    glideStep(up, 0.1f);
    glideStep(down, 0.1f);
    EXPECT_FLOAT_EQ(up.period - up.targetPeriod, 50.0f * 0.9f * 0.9f);
    EXPECT_FLOAT_EQ(down.targetPeriod - down.period, 50.0f * 0.9f);

    Voice instant{};
    instant.period = 80.0f;
    instant.targetPeriod = 40.0f;
    glideStep(instant, 1.0f);
    EXPECT_EQ(instant.period, 40.0f);
}

} // namespace
