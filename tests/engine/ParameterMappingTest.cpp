// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter mapping: reference rates at 44100 Hz, the edges of the stepped parameters and the
// MIDI performance controllers.
#include "EngineRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Steinberg::Vst::Tarvik;
using namespace Steinberg::Vst::Tarvik::Synth;
using Steinberg::int32;
using TestRig::EngineRig;

namespace {

/** Relative tolerance for the five-digit reference values. */
void expectNear5(double actual, double expected)
{
    EXPECT_NEAR(actual, expected, std::fabs(expected) * 5e-5) << "expected " << expected;
}

TEST(ParameterMapping, EnvelopeRatesMatchTheReferenceAt44100)
{
    EngineRig rig;
    const double x[] = {0.0, 0.5, 1.0};
    const double ampAttack[] = {0.0055332, 0.00013047, 0.0000030398};
    const double filtAttack[] = {0.16268, 0.0041670, 0.000098169};
    for (int i = 0; i < 3; ++i)
    {
        rig.set(kEnvAtt, x[i]);
        rig.set(kVcfAtt, x[i]);
        expectNear5(rig.state().ampAttack, ampAttack[i]);
        expectNear5(rig.state().filtAttack, filtAttack[i]);
    }
    // The slowest rate comes from rounding the outer exponential to single precision first.
    rig.set(kEnvAtt, 1.0);
    EXPECT_EQ(rig.state().ampAttack, 1.0f - static_cast<float>(std::exp(-std::exp(-2.0) / 44100)));
    EXPECT_GT(std::fabs(rig.state().ampAttack - 3.0688e-6), 2e-8);

    // Decay and release use the same curve.
    rig.set(kEnvDec, 0.5);
    rig.set(kEnvRel, 0.5);
    rig.set(kVcfDec, 0.5);
    rig.set(kVcfRel, 0.5);
    expectNear5(rig.state().ampDecay, 0.00013047);
    expectNear5(rig.state().ampRelease, 0.00013047);
    expectNear5(rig.state().filtDecay, 0.0041670);
    expectNear5(rig.state().filtRelease, 0.0041670);
}

TEST(ParameterMapping, GlideAndLfoRatesMatchTheReferenceAt44100)
{
    EngineRig rig;
    const double glideX[] = {0.02, 0.5, 1.0};
    const double glide[] = {0.22469, 0.0088009, 0.00026691};
    for (int i = 0; i < 3; ++i)
    {
        rig.set(kGlideRate, glideX[i]);
        expectNear5(rig.state().glideCoef, glide[i]);
    }
    rig.set(kGlideRate, 0.0199);
    EXPECT_EQ(rig.state().glideCoef, 1.0f);

    const double lfoX[] = {0.0, 0.5, 1.0};
    const double lfo[] = {0.0000835, 0.0027653, 0.091575};
    for (int i = 0; i < 3; ++i)
    {
        rig.set(kLfoRate, lfoX[i]);
        EXPECT_NEAR(rig.state().lfoStep, lfo[i], lfo[i] * 2e-4);
    }
}

TEST(ParameterMapping, ReleaseHasAFastFloorOnlyForTheAmplitude)
{
    EngineRig rig;
    rig.set(kEnvRel, 0.0099);
    rig.set(kVcfRel, 0.0);
    EXPECT_EQ(rig.state().ampRelease, 0.1f);
    expectNear5(rig.state().filtRelease, 1.0 - std::exp(-32.0 * std::exp(5.5) / 44100.0));
    rig.set(kEnvRel, 0.01);
    EXPECT_NE(rig.state().ampRelease, 0.1f);
}

TEST(ParameterMapping, GlideListEntriesChangeAtSixths)
{
    EngineRig rig;
    const struct
    {
        double value;
        int32 mode;
    } cases[] = {{0.0, 0},    {0.1666, 0},    {0.1667, 1}, {0.5, 3},
                 {0.8333, 4}, {5.0 / 6.0, 5}, {1.0, 5}};
    for (const auto& c : cases)
    {
        rig.set(kGlide, c.value);
        EXPECT_EQ(rig.state().voiceMode, c.mode) << c.value;
    }
}

TEST(ParameterMapping, OscillatorTwoTuneAndFine)
{
    EngineRig rig;
    rig.set(kOscFine, 0.5);
    rig.set(kOscTune, 0.5);
    EXPECT_EQ(rig.state().osc2Ratio, 1.0f);
    rig.set(kOscTune, 1.0);
    EXPECT_NEAR(rig.state().osc2Ratio, 0.25, 1e-6);
    rig.set(kOscTune, 0.0);
    EXPECT_NEAR(rig.state().osc2Ratio, 4.0, 1e-5);

    // Whole semitones only: 0.37 gives floor(17.76) - 24 = -7.
    rig.set(kOscTune, 0.37);
    EXPECT_EQ(rig.state().osc2Ratio, std::pow(kSemitoneRatio, 7.0f));

    // Cents: floor of the cubic, in tenths. -50.1 at 0 (floor of -500.19), +50.0 at 1.
    rig.set(kOscTune, 0.5);
    rig.set(kOscFine, 0.0);
    EXPECT_FLOAT_EQ(rig.state().osc2Ratio, std::pow(kSemitoneRatio, 0.501f));
    rig.set(kOscFine, 1.0);
    EXPECT_FLOAT_EQ(rig.state().osc2Ratio, std::pow(kSemitoneRatio, -0.5f));
}

TEST(ParameterMapping, OctaveStepsFallAtMultiplesOfOneOverFourPointNine)
{
    EngineRig rig;
    auto periodScaleAt = [&](double octave) {
        rig.set(kOctave, octave);
        return static_cast<double>(rig.state().periodScale);
    };
    const double edges[] = {1 / 4.9, 2 / 4.9, 3 / 4.9, 4 / 4.9};
    for (double edge : edges)
    {
        EXPECT_NEAR(periodScaleAt(edge - 1e-4) / periodScaleAt(edge + 1e-4), 2.0, 1e-5) << edge;
    }
    // The quarter points are inside a step.
    EXPECT_EQ(periodScaleAt(0.25), periodScaleAt(0.3));
    EXPECT_EQ(periodScaleAt(0.75), periodScaleAt(0.8));

    // Tuning spans one semitone each way.
    rig.set(kOctave, 0.5);
    rig.set(kTuning, 0.0);
    const double low = rig.state().periodScale;
    rig.set(kTuning, 0.5);
    const double middle = rig.state().periodScale;
    rig.set(kTuning, 1.0);
    EXPECT_NEAR(low / middle, 1.0594631, 1e-5);
    EXPECT_NEAR(middle / rig.state().periodScale, 1.0594631, 1e-5);
    EXPECT_NEAR(middle, 2697.0, 1.5);
}

TEST(ParameterMapping, SustainLevelsVibratoAndVelocitySwitch)
{
    // Rows run in order: a row sees what the rows before it set (vibrato 2 keeps its depth when
    // vibrato 1 is switched off). A tolerance of 0 asks for the exact value, kUlps for 4 ULPs.
    constexpr double kUlps = -1.0;
    struct Row
    {
        int32 param;
        double x;
        double (*field)(const EngineState&);
        double expected;
        double tolerance;
    };
    const auto ampSustain = [](const EngineState& s) -> double { return s.ampSustain; };
    const auto vibrato1 = [](const EngineState& s) -> double { return s.vibrato1; };
    const auto vibrato2 = [](const EngineState& s) -> double { return s.vibrato2; };
    const auto velocityOff = [](const EngineState& s) -> double { return s.velocityOff; };
    const auto velToCutoff = [](const EngineState& s) -> double { return s.velToCutoff; };
    const auto noiseLevel = [](const EngineState& s) -> double { return s.noiseLevel; };
    const auto glideBend = [](const EngineState& s) -> double { return s.glideBend; };
    const Row rows[] = {
        {kVcfSus, 0.5, [](const EngineState& s) -> double { return s.filtSustain; }, 0.25f, 0.0},
        {kEnvSus, 0.5, ampSustain, 0.5f, 0.0},
        {kVibrato, 1.0, vibrato1, 0.05f, kUlps},
        {kVibrato, 1.0, vibrato2, 0.05f, kUlps},
        {kVibrato, 0.0, vibrato1, 0.0f, 0.0},
        {kVibrato, 0.0, vibrato2, 0.05f, kUlps},
        {kVcfVel, 0.0499, velocityOff, 1, 0.0},
        {kVcfVel, 0.0499, velToCutoff, 0.0f, 0.0},
        {kVcfVel, 0.05, velocityOff, 0, 0.0},
        {kVcfVel, 0.05, velToCutoff, -0.045f, kUlps},
        {kVcfVel, 1.0, velToCutoff, 0.05f, kUlps},
        {kNoise, 1.0, noiseLevel, 0.06f, kUlps},
        {kGlideBend, 0.5, glideBend, 0.0f, 0.0},
        {kGlideBend, 1.0, glideBend, 36.0, 0.01},
    };
    EngineRig rig;
    for (const Row& row : rows)
    {
        rig.set(row.param, row.x);
        const double actual = row.field(rig.state());
        if (row.tolerance == kUlps)
            EXPECT_FLOAT_EQ(static_cast<float>(actual), static_cast<float>(row.expected))
                << row.param << " at " << row.x;
        else
            EXPECT_NEAR(actual, row.expected, row.tolerance) << row.param << " at " << row.x;
    }
}

TEST(ParameterMapping, PerformanceControllers)
{
    EngineRig rig;
    EngineState& engine = rig.state();

    EXPECT_TRUE(applyControllerParameter(engine, kPitchBendId, 0.5));
    EXPECT_EQ(engine.bendRatio, 1.0f);
    EXPECT_EQ(engine.bendInverse, 1.0f);
    applyControllerParameter(engine, kPitchBendId, 1.0);
    EXPECT_NEAR(engine.bendRatio, 1.05946, 1e-5);
    EXPECT_EQ(engine.bendInverse, 1.0f / engine.bendRatio);
    applyControllerParameter(engine, kPitchBendId, 0.0);
    EXPECT_NEAR(engine.bendRatio, 1.0 / 1.05946, 1e-5);

    applyControllerParameter(engine, kModWheelId, 1.0);
    EXPECT_NEAR(engine.modWheel, 0.0806, 1e-4);
    applyControllerParameter(engine, kAftertouchId, 1.0);
    EXPECT_NEAR(engine.aftertouch, 0.1613, 1e-4);
    applyControllerParameter(engine, kResonanceCtlId, 0.0);
    EXPECT_FLOAT_EQ(engine.resoScale, 1.001f);
    applyControllerParameter(engine, kResonanceCtlId, 1.0);
    EXPECT_FLOAT_EQ(engine.resoScale, 0.1755f);

    // Both filter-mod controllers write one field; the later wins.
    applyControllerParameter(engine, kFilterModUpId, 1.0);
    EXPECT_FLOAT_EQ(engine.filterModCtl, 2.54f);
    applyControllerParameter(engine, kFilterModDownId, 1.0);
    EXPECT_FLOAT_EQ(engine.filterModCtl, -3.81f);

    EXPECT_FALSE(applyControllerParameter(engine, 0x70727374 /* 'prst' */, 1.0));
    EXPECT_FALSE(applyControllerParameter(engine, 24, 1.0));
}

TEST(ParameterMapping, ControllerValuesOutsideTheRangeAreClampedAndNaNIgnored)
{
    EngineRig rig;
    EngineState& engine = rig.state();
    applyControllerParameter(engine, kModWheelId, 0.5);
    const float half = engine.modWheel;
    applyControllerParameter(engine, kModWheelId, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(engine.modWheel, half);
    applyControllerParameter(engine, kModWheelId, 7.0);
    EXPECT_NEAR(engine.modWheel, 0.0806, 1e-4);
    applyControllerParameter(engine, kPitchBendId, -3.0);
    EXPECT_NEAR(engine.bendRatio, 1.0 / 1.05946, 1e-5);
    applyControllerParameter(engine, kPitchBendId, std::numeric_limits<double>::infinity());
    EXPECT_NEAR(engine.bendRatio, 1.05946, 1e-5);
}

} // namespace
