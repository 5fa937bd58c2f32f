// SPDX-License-Identifier: GPL-3.0-or-later
// Block rendering: noise, oscillator, pitch, control-tick timing, event timing and the silent
// shortcut.
#include "EngineRig.h"
#include "Noise.h"
#include "Oscillator.h"
#include "VoiceAllocation.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Steinberg::Vst::Tarvik;
using namespace Steinberg::Vst::Tarvik::Synth;
using Steinberg::int32;
using Steinberg::uint32;
using TestRig::EngineRig;

namespace {

TEST(Rendering, NoiseSequenceFromTheInitialState)
{
    EngineRig rig;
    uint32 state = rig.state().noiseState;
    ASSERT_EQ(state, 22222u);
    const uint32 states[] = {4009202705u, 2593574640u, 4225104667u};
    const float values[] = {0.8684123f, -0.6436195f, 0.3434513f};
    for (int i = 0; i < 3; ++i)
    {
        const float value = noiseStep(state);
        EXPECT_EQ(state, states[i]);
        EXPECT_NEAR(value, values[i], 1e-7);
    }
}

TEST(Rendering, OscillatorCycleLastsTwoPeriodsAndPicksUpPitchAtCycleStart)
{
    Oscillator osc{0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    const float& step = osc.increment;
    const float& max = osc.max;
    auto run = [&](float period, int32 samples) {
        int32 starts = 0;
        for (int32 i = 0; i < samples; ++i)
        {
            const float before = step;
            const float out = osc.step(1.0f, period);
            EXPECT_TRUE(std::isfinite(out));
            if (before < 0.0f && step > 0.0f) ++starts;
        }
        return starts;
    };
    run(40.0f, 1); // first sample: a new cycle
    EXPECT_GT(step, 0.0f);
    EXPECT_FLOAT_EQ(max, 39.5f * kPi);
    EXPECT_NEAR(run(40.0f, 8000), 100, 1); // one cycle every 80 samples

    // Halfway up a cycle a new period changes nothing until the phase is back at the bottom.
    while (step < 0.0f)
        run(40.0f, 1);
    run(40.0f, 20);
    const float stepBefore = step;
    run(20.0f, 10);
    EXPECT_EQ(step, stepBefore);
    run(20.0f, 80);
    EXPECT_FLOAT_EQ(std::fabs(step), 19.5f * kPi / 20.0f);
}

TEST(Rendering, GlideStartsAboveTheTopStayFiniteAndBounded)
{
    // Oscillator 2 two octaves above a glide start 36 semitones above the top notes would ask
    // for periods below one sample; the glide start keeps both oscillators at 3 samples or more,
    // as the notes' own periods do, so the sawtooth stays near the level of an ordinary chord.
    for (double bend : {0.9, 1.0})
    {
        float peak = 0.0f;
        EngineRig rig;
        rig.set(kGlide, 0.0);
        rig.set(kOscTune, 1.0);
        rig.set(kGlideBend, bend);
        rig.set(kOctave, 1.0);
        rig.set(kVcfReso, 0.0);
        for (int32 note = 96; note < 128; note += 4)
            rig.noteOn(0, note, 1.0f);
        for (int block = 0; block < 40; ++block)
        {
            rig.render(512);
            ASSERT_TRUE(TestRig::allFinite(rig.left.data(), 512)) << bend << " " << block;
            for (float sample : rig.left)
                peak = std::max(peak, std::fabs(sample));
        }
        EXPECT_LT(peak, 4.0f) << bend;
    }
}

TEST(Rendering, NoteSixtyNineSoundsAt440Hz)
{
    EngineRig rig;
    rig.set(kGlide, 0.0);     // "Poly": no glide in from note 0
    rig.set(kOscMix, 0.0);    // oscillator 1 alone
    rig.set(kVibrato, 0.5);   // no vibrato
    rig.set(kGlideBend, 0.5); // no glide in
    rig.set(kVcfFreq, 1.0);
    rig.noteOn(0, 69, 1.0f);
    rig.render(8192); // past the attack
    EXPECT_NEAR(rig.voice(0).targetPeriod, 50.1, 0.05);
    const std::vector<float> sound = rig.renderLong(44100);
    EXPECT_NEAR(TestRig::measureFrequency(sound, 44100.0, 44100.0 / 440.0, 20), 440.0, 0.5);
}

TEST(Rendering, TicksFallEvery33SamplesAcrossBlocks)
{
    const int32 blocks[] = {7, 50, 13, 100, 1, 32, 33, 64};
    EngineRig split;
    EngineRig whole;
    split.noteOn(0, 60);
    whole.noteOn(0, 60);
    std::vector<float> pieces;
    int32 total = 0;
    float expectedPhase = 0.0f;
    const float step = split.state().lfoStep;
    for (int32 n : blocks)
    {
        split.render(n);
        pieces.insert(pieces.end(), split.left.begin(), split.left.end());
        for (int32 i = total; i < total + n; ++i)
            if (i % 33 == 0) // the first rendered sample is a tick
                expectedPhase += step;
        total += n;
        EXPECT_EQ(split.state().lfoPhase, expectedPhase) << total;
        EXPECT_EQ(split.state().tickCountdown, 32 - (total - 1) % 33) << total;
    }
    whole.render(total);
    ASSERT_EQ(pieces.size(), whole.left.size());
    for (size_t i = 0; i < pieces.size(); ++i)
        ASSERT_EQ(pieces[i], whole.left[i]) << i;
}

TEST(Rendering, LfoPhaseWrapsIntoMinusPiToPi)
{
    EngineRig rig;
    rig.set(kLfoRate, 1.0);
    rig.noteOn(0, 60);
    for (int block = 0; block < 100; ++block)
    {
        rig.render(512);
        EXPECT_GT(rig.state().lfoPhase, -kPi);
        EXPECT_LE(rig.state().lfoPhase, kPi);
    }
}

TEST(Rendering, SilentBlockIsZerosAndMovesNoGenerator)
{
    EngineRig rig;
    rig.set(kNoise, 1.0);
    std::vector<float> left(64, 1.0f);
    std::vector<float> right(64, 1.0f);
    renderBlock(rig.state(), left.data(), right.data(), 64);
    for (size_t i = 0; i < 64; ++i)
    {
        EXPECT_EQ(left[i], 0.0f);
        EXPECT_EQ(right[i], 0.0f);
    }
    EXPECT_EQ(rig.state().lfoPhase, 0.0f);
    EXPECT_EQ(rig.state().noiseState, 22222u);
    EXPECT_EQ(rig.state().tickCountdown, 0);

    // An event beyond the block is no event: still the shortcut, and the event is consumed.
    rig.noteOn(64, 60);
    rig.render(64);
    EXPECT_EQ(rig.state().noiseState, 22222u);
    EXPECT_EQ(rig.voice(0).note, 0);
    EXPECT_EQ(rig.state().eventBuffer[0], kEventTerminator);
}

TEST(Rendering, EventsApplyAtTheirSampleOffset)
{
    // A note at offset 17 sounds as a note at offset 0 of a block that starts 17 samples later.
    EngineRig inBlock;
    EngineRig atStart;
    inBlock.noteOn(17, 60);
    inBlock.render(300);
    atStart.noteOff(0, 1); // an event makes the block render (and tick) without a voice
    atStart.render(17);
    atStart.noteOn(0, 60);
    atStart.render(283);
    for (size_t i = 0; i < 283; ++i)
        ASSERT_EQ(inBlock.left[i + 17], atStart.left[i]) << i;
    for (size_t i = 0; i < 17; ++i)
        EXPECT_EQ(inBlock.left[i], 0.0f);
    EXPECT_NE(TestRig::peak(inBlock.left.data(), 300), 0.0f);
}

TEST(Rendering, EarlyAndNegativeOffsetsApplyAtTheCurrentSample)
{
    EngineRig reference;
    reference.noteOn(40, 60);
    reference.noteOn(40, 64);
    reference.render(256);

    EngineRig disordered;
    disordered.noteOn(40, 60);
    disordered.noteOn(10, 64); // earlier than the position reached: applied at 40
    disordered.render(256);
    for (size_t i = 0; i < 256; ++i)
        ASSERT_EQ(disordered.left[i], reference.left[i]) << i;
    EXPECT_EQ(disordered.voice(1).note, 64);

    EngineRig zero;
    EngineRig negative;
    zero.noteOn(0, 60);
    negative.noteOn(-25, 60);
    zero.render(128);
    negative.render(128);
    for (size_t i = 0; i < 128; ++i)
        ASSERT_EQ(negative.left[i], zero.left[i]) << i;
}

TEST(Rendering, ChannelsAreIdenticalAndNoiseIsSharedByVoices)
{
    EngineRig rig;
    rig.set(kNoise, 1.0);
    for (int32 i = 0; i < 5; ++i)
        rig.noteOn(3 * i, 48 + 5 * i, 0.2f * static_cast<float>(i + 1));
    rig.render(4096);
    for (size_t i = 0; i < 4096; ++i)
        ASSERT_EQ(rig.left[i], rig.right[i]) << i;
    EXPECT_EQ(rig.state().activeVoices, 5);
}

TEST(Rendering, LegatoAndGlideEntriesOfEachGroupSoundAlike)
{
    auto render = [](double mode) {
        EngineRig rig;
        rig.set(kGlide, mode);
        rig.set(kGlideRate, 0.4);
        std::vector<float> out;
        const int32 notes[] = {60, 67, 64, 72};
        for (int32 note : notes)
        {
            rig.noteOn(5, note);
            rig.render(2000);
            out.insert(out.end(), rig.left.begin(), rig.left.end());
        }
        rig.noteOff(0, 67);
        rig.noteOff(0, 72);
        rig.render(2000);
        out.insert(out.end(), rig.left.begin(), rig.left.end());
        return out;
    };
    EXPECT_EQ(render(0.2), render(0.4)); // "Poly-Legato", "Poly-Glide"
    EXPECT_EQ(render(0.7), render(0.9)); // "Mono-Legato", "Mono-Glide"
    EXPECT_NE(render(0.0), render(0.4));
}

TEST(Rendering, PitchBendReachesTheOscillatorsAndTheFilter)
{
    EngineRig rig;
    rig.set(kGlide, 0.0);
    rig.set(kOscMix, 0.0);
    rig.set(kVibrato, 0.5);
    rig.set(kGlideBend, 0.5);
    rig.set(kVcfFreq, 1.0);
    applyControllerParameter(rig.state(), kPitchBendId, 1.0);
    rig.noteOn(0, 69, 1.0f);
    rig.render(8192);
    const std::vector<float> sound = rig.renderLong(44100);
    EXPECT_NEAR(TestRig::measureFrequency(sound, 44100.0, 44100.0 / 466.2, 20), 440.0 * 1.05946,
                0.6);
}

} // namespace
