// SPDX-License-Identifier: GPL-3.0-or-later
// Voice allocation: voice choice and stealing, the held-note queue of the mono modes, glide
// starts and the start values of a voice.
#include "VoiceAllocation.h"
#include "EngineRig.h"
#include "Oscillator.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Steinberg::Vst::Tarvik;
using namespace Steinberg::Vst::Tarvik::Synth;
using Steinberg::int32;
using TestRig::EngineRig;

namespace {

constexpr double kMonoValue = 0.5;        // "Mono"
constexpr double kMonoGlideValue = 1.0;   // "Mono-Glide"
constexpr double kMonoLegatoValue = 0.75; // "Mono-Legato"

void play(EngineRig& rig, int32 note, int32 velocity = 100)
{
    noteOn(rig.state(), note, velocity, note + 1000);
}

void release(EngineRig& rig, int32 note)
{
    noteOn(rig.state(), note, 0, 0);
}

TEST(VoiceAllocation, PolyTakesIdleVoicesInOrderAndVoiceZeroWhenAllAttack)
{
    EngineRig rig;
    rig.set(kEnvAtt, 1.0); // a slow attack keeps every voice in its attack
    for (int32 i = 0; i < 8; ++i)
    {
        play(rig, 60 + i);
        EXPECT_EQ(rig.voice(i).note, 60 + i);
        EXPECT_EQ(rig.voice(i).noteId, 1060 + i);
    }
    rig.render(64);
    play(rig, 72);
    EXPECT_EQ(rig.voice(0).note, 72);
    for (int32 i = 1; i < 8; ++i)
        EXPECT_EQ(rig.voice(i).note, 60 + i);
}

TEST(VoiceAllocation, PolyStealsTheQuietestVoicePastItsAttack)
{
    EngineRig rig;
    for (int32 i = 0; i < 8; ++i)
        rig.noteOn(0, 60 + i);
    rig.render(4410); // every voice decays toward its sustain level
    rig.noteOff(0, 65);
    rig.render(2000);
    rig.noteOff(0, 62);
    rig.render(100);
    ASSERT_LT(rig.voice(5).amp.level, rig.voice(2).amp.level);

    play(rig, 80);
    EXPECT_EQ(rig.voice(5).note, 80);
    play(rig, 81); // voice 5 is attacking now
    EXPECT_EQ(rig.voice(2).note, 81);
}

TEST(VoiceAllocation, NoteOffReleasesEveryVoiceHoldingTheNote)
{
    EngineRig rig;
    play(rig, 60);
    play(rig, 60);
    play(rig, 64);
    release(rig, 60);
    EXPECT_EQ(rig.voice(0).amp.target, 0.0f);
    EXPECT_EQ(rig.voice(1).amp.target, 0.0f);
    EXPECT_EQ(rig.voice(0).amp.rate, rig.state().ampRelease);
    EXPECT_EQ(rig.voice(1).filterEnv.rate, rig.state().filtRelease);
    EXPECT_EQ(rig.voice(0).note, 0);
    EXPECT_EQ(rig.voice(2).amp.target, 2.0f);
    EXPECT_EQ(rig.voice(2).note, 64);
}

TEST(VoiceAllocation, StackedVoicesAreDetunedAndPeriodsStayPlayable)
{
    EngineRig rig;
    rig.set(kGlide, 0.0); // "Poly": no glide from the previous note
    rig.set(kGlideBend, 0.5);
    play(rig, 69);
    play(rig, 69);
    play(rig, 69);
    EXPECT_NEAR(rig.voice(0).targetPeriod, 50.1, 0.05);
    EXPECT_NEAR(rig.voice(2).targetPeriod / rig.voice(0).targetPeriod, std::pow(2.0, -0.004 / 12.0),
                1e-6);
    EXPECT_EQ(rig.voice(0).period, rig.voice(0).targetPeriod); // Poly, no bend: no glide
    EXPECT_EQ(rig.voice(0).detune, rig.state().osc2Ratio);

    // Top octave, highest note, oscillator 2 two octaves up: both raised to 3 samples or more.
    rig.set(kOctave, 1.0);
    rig.set(kOscTune, 1.0);
    rig.set(kGlideBend, 1.0); // starts 36 semitones higher still
    play(rig, 127);
    const Voice& voice = rig.voice(3);
    EXPECT_GE(voice.targetPeriod, 3.0f);
    EXPECT_GE(voice.targetPeriod * voice.detune, 3.0f);
    EXPECT_LT(voice.targetPeriod * voice.detune, 6.0f);
    // The glide start is floored like the target: neither oscillator starts below 3 samples.
    EXPECT_GT(voice.period, 3.0f);
    EXPECT_NEAR(voice.period * voice.detune, 3.0f, 1e-5f);
}

TEST(VoiceAllocation, VelocitySetsTheLevelAndFilterKey)
{
    const double factors[][2] = {{1, 8.9}, {64, 57.536}, {80, 74.944}, {127, 137.924}};
    for (const auto& f : factors)
    {
        EngineRig rig;
        rig.set(kVcfVel, 1.0);
        const EngineState& engine = rig.state();
        play(rig, 60, static_cast<int32>(f[0]));
        const Voice& voice = rig.voice(0);
        EXPECT_NEAR(voice.osc1Level / (engine.volume * engine.levelScale), f[1], 1e-4);
        EXPECT_EQ(voice.osc2Level, voice.osc1Level * engine.oscMix);
        EXPECT_FLOAT_EQ(voice.filter.keyCutoff,
                        std::exp((f[0] - 64) * engine.velToCutoff) / voice.targetPeriod);
    }

    // Velocity switched off: every note plays as velocity 80, for level and filter alike.
    EngineRig rig;
    rig.set(kVcfVel, 0.0);
    play(rig, 60, 5);
    const EngineState& engine = rig.state();
    EXPECT_NEAR(rig.voice(0).osc1Level / (engine.volume * engine.levelScale), 74.944, 1e-4);
    EXPECT_EQ(rig.voice(0).filter.keyCutoff, 1.0f / rig.voice(0).targetPeriod);
}

TEST(VoiceAllocation, NoteStartSetsEnvelopeTargetsAndRestartsOscillatorTwo)
{
    EngineRig rig;
    rig.set(kVibrato, 0.2);
    rig.render(10);
    play(rig, 60);
    const Voice& voice = rig.voice(0);
    EXPECT_FLOAT_EQ(voice.amp.level, 0.002f);
    EXPECT_EQ(voice.amp.target, 2.0f);
    EXPECT_EQ(voice.amp.rate, rig.state().ampAttack);
    EXPECT_EQ(voice.filterEnv.target, 2.0f);
    EXPECT_EQ(voice.filterEnv.rate, rig.state().filtAttack);
    EXPECT_EQ(voice.pitchFactor, 1.0f);
    EXPECT_EQ(voice.gainFactor, 1.0f);
    EXPECT_EQ(voice.leftGain, 1.0f);
    EXPECT_EQ(voice.rightGain, 1.0f);
    // Oscillator 2 is silent and on its way down, half a cycle behind oscillator 1.
    EXPECT_LT(voice.osc2.increment, 0.0f);
    EXPECT_EQ(voice.osc2.sin0, 0.0f);
    EXPECT_EQ(voice.osc2.coef, 0.0f);
    EXPECT_EQ(voice.osc2.phase, voice.osc2.max);
    EXPECT_GE(voice.osc2.max, voice.period * kPi);

    // With Vibrato at 0.5 or more oscillator 2 runs free.
    rig.set(kVibrato, 0.5);
    rig.render(500);
    const Voice before = rig.voice(1);
    play(rig, 62);
    EXPECT_EQ(rig.voice(1).osc2.phase, before.osc2.phase);
    EXPECT_EQ(rig.voice(1).osc2.increment, before.osc2.increment);
}

TEST(VoiceAllocation, GlideModesStartAtThePreviousNote)
{
    for (double mode : {0.0, 0.4}) // "Poly", "Poly-Glide"
    {
        EngineRig rig;
        rig.set(kGlide, mode);
        rig.set(kGlideBend, 0.5);
        play(rig, 60);
        play(rig, 72);
        const Voice& voice = rig.voice(1);
        if (mode == 0.0)
            EXPECT_EQ(voice.period, voice.targetPeriod);
        else
            EXPECT_NEAR(voice.period / voice.targetPeriod, 2.0, 1e-5);
        EXPECT_EQ(rig.state().lastNote, 72);
    }

    // Glide Bend shifts every start, also in Poly: here 36 semitones above.
    EngineRig rig;
    rig.set(kGlide, 0.0);
    rig.set(kGlideBend, 1.0);
    play(rig, 48);
    EXPECT_NEAR(rig.voice(0).period / rig.voice(0).targetPeriod, std::pow(2.0, -36.0 / 12.0), 1e-4);
}

TEST(VoiceAllocation, MonoReturnsToTheHeldNoteWithoutANewAttack)
{
    EngineRig rig;
    rig.set(kGlide, kMonoValue);
    rig.noteOn(0, 57);
    rig.render(2000);
    const float periodA = rig.voice(0).targetPeriod;
    const float levelBefore = rig.voice(0).amp.level;
    const float targetBefore = rig.voice(0).amp.target;

    play(rig, 60);
    Voice& voice = rig.voice(0);
    EXPECT_EQ(voice.note, 60);
    EXPECT_EQ(rig.voice(1).note, 57);
    EXPECT_EQ(voice.period, voice.targetPeriod); // "Mono" jumps
    EXPECT_FLOAT_EQ(voice.amp.level, levelBefore + 0.002f);
    EXPECT_EQ(voice.amp.target, targetBefore); // no new attack
    EXPECT_EQ(rig.state().lastNote, 57);       // a legato change is not a new start
    rig.render(1000);

    release(rig, 60);
    EXPECT_EQ(voice.note, 57);
    EXPECT_EQ(rig.voice(1).note, 0);
    EXPECT_EQ(voice.targetPeriod, periodA);
    EXPECT_EQ(voice.period, periodA);
    EXPECT_EQ(voice.filter.keyCutoff, 1.0f / periodA);
    EXPECT_EQ(voice.amp.target, targetBefore);

    release(rig, 57);
    EXPECT_EQ(voice.amp.target, 0.0f);
    EXPECT_EQ(voice.note, 0);
}

TEST(VoiceAllocation, MonoGlideGlidesBackToTheHeldNote)
{
    EngineRig rig;
    rig.set(kGlide, kMonoGlideValue);
    rig.set(kGlideRate, 0.5);
    rig.set(kGlideBend, 0.5);
    rig.noteOn(0, 57);
    rig.render(20000);
    rig.noteOn(0, 60);
    rig.render(20000);
    const float periodB = rig.voice(0).period;
    release(rig, 60);
    Voice& voice = rig.voice(0);
    EXPECT_EQ(voice.period, periodB);
    EXPECT_GT(voice.targetPeriod, periodB);
    rig.render(330);
    EXPECT_GT(voice.period, periodB);
    EXPECT_LT(voice.period, voice.targetPeriod);
}

TEST(VoiceAllocation, MonoQueueLosesTheOldestOfNineHeldNotes)
{
    EngineRig rig;
    rig.set(kGlide, kMonoLegatoValue);
    for (int32 note = 60; note <= 68; ++note)
        play(rig, note);
    EXPECT_EQ(rig.voice(0).note, 68);
    for (int32 i = 1; i < 8; ++i)
        EXPECT_EQ(rig.voice(i).note, 68 - i);

    // Releasing a queued note takes it out of the queue.
    release(rig, 64);
    EXPECT_EQ(rig.voice(4).note, 0);

    for (int32 note = 68; note >= 61; --note)
    {
        if (note == 64) continue;
        EXPECT_EQ(rig.voice(0).note, note);
        EXPECT_EQ(rig.voice(0).amp.target, 2.0f) << note;
        release(rig, note);
    }
    // 60 was lost: the last release ends the note instead of returning to it.
    EXPECT_EQ(rig.voice(0).note, 0);
    EXPECT_EQ(rig.voice(0).amp.target, 0.0f);
}

TEST(VoiceAllocation, NoteZeroDoesNotCountAsHeldInMono)
{
    EngineRig rig;
    rig.set(kGlide, kMonoValue);
    play(rig, 0);
    rig.render(100);
    play(rig, 50); // a fresh start on voice 0, no queue push
    EXPECT_EQ(rig.voice(1).note, 0);
    EXPECT_EQ(rig.state().lastNote, 50);
}

TEST(VoiceAllocation, MonoLeavesNoVoiceSoundingOnceEveryKeyIsUp)
{
    // Steps: > 0 a note-on, < 0 the note-off of -step, 0 a switch to "Mono".
    const std::vector<std::vector<int32>> performances = {
        {0, 60, 60, -60},                        // one key struck twice in mono
        {62, 64, 0, -62, -64},                   // poly voices, then mono returns to a queued one
        {60, 62, 64, -62, 0, 67, -60, -64, -67}, // a queue entry of 0 pushed onto a sounding voice
    };
    for (size_t p = 0; p < performances.size(); ++p)
    {
        EngineRig rig;
        rig.set(kEnvRel, 0.0); // releases end within a few samples
        for (int32 step : performances[p])
        {
            if (step == 0)
                rig.set(kGlide, kMonoValue);
            else if (step > 0)
                rig.noteOn(0, step);
            else
                rig.noteOff(0, -step);
            rig.render(200);
        }
        rig.render(4410);
        for (int32 v = 0; v < kVoiceCount; ++v)
            EXPECT_EQ(rig.voice(v).amp.level, 0.0f) << "performance " << p << ", voice " << v;
    }
}

} // namespace
