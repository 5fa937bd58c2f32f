// SPDX-License-Identifier: GPL-3.0-or-later
// Precision is part of the sound: each formula is worked in the precision its comment names and
// rounded to single precision where the engine stores it. The smallest envelope and glide rates
// in particular depend on rounding the outer exponential to single before subtracting from 1.
#include "ParameterMapping.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

namespace {

constexpr double kTwoPi = 6.283185307179586;
/** Samples per control tick that the per-tick rates are computed for. */
constexpr double kTickRateSamples = 32.0;

/** One-pole rate for a speed in 1/s, stepped every stepSamples samples. The exponentials are
    double; the outer one is rounded to single and subtracted from 1 in single. */
float onePoleRate(double speed, double stepSamples, double sampleRate)
{
    const float decay = static_cast<float>(std::exp(-stepSamples * speed / sampleRate));
    return 1.0f - decay;
}

} // namespace

void recalcEngine(EngineState& engine, const double* x, double sampleRate)
{
    const double sr = sampleRate;

    const int32_t mode = static_cast<int32_t>(6.0 * x[kGlide]);
    engine.voiceMode = std::min<int32_t>(std::max<int32_t>(mode, kModePoly), kModeMonoGlide);

    engine.oscMix = static_cast<float>(x[kOscMix]);

    // Noise level and master volume: the noise square is rounded first, the first factor of the
    // volume is single precision, the product double.
    const float noiseSquared = static_cast<float>(x[kNoise] * x[kNoise]);
    engine.noiseLevel = static_cast<float>(0.06 * noiseSquared);
    const float mixHeadroom = 3.2f - static_cast<float>(x[kOscMix]) - 1.5f * noiseSquared;
    engine.volume = static_cast<float>(mixHeadroom * (1.5 - 0.5 * x[kVcfReso]));

    // Oscillator 2: whole semitones from OSC Tune, a cubic cents curve from OSC Fine.
    const int32_t semis = static_cast<int32_t>(std::floor(48.0 * x[kOscTune])) - 24;
    const float fine = 15.876f * static_cast<float>(x[kOscFine]) - 7.938f;
    const float cents = std::floor(fine * fine * fine) * 0.1f;
    engine.osc2Ratio = std::pow(kSemitoneRatio, -(static_cast<float>(semis) + 0.01f * cents));

    // Octave steps fall at multiples of 1/4.9; Tuning spans one semitone each way.
    const double tuningExponent = -23.376 - 2.0 * x[kTuning] - 12.0 * std::floor(4.9 * x[kOctave]);
    const float tuning = std::pow(kSemitoneRatio, static_cast<float>(tuningExponent));
    engine.periodScale = static_cast<float>(sr * tuning);

    const double vibratoOffset = x[kVibrato] - 0.5;
    engine.vibrato2 = static_cast<float>(0.2 * (vibratoOffset * vibratoOffset));
    engine.vibrato1 = x[kVibrato] >= 0.5 ? engine.vibrato2 : 0.0f;
    // Without vibrato on oscillator 1 the oscillators start each note half a cycle apart.
    engine.osc2Restarts = x[kVibrato] < 0.5 ? 1 : 0;

    const float radiansPerTickHz = static_cast<float>(kTwoPi * kTickRateSamples / sr);
    engine.lfoStep = static_cast<float>(radiansPerTickHz * std::exp(7.0 * x[kLfoRate] - 4.0));

    engine.cutoffBase = static_cast<float>(8.0 * x[kVcfFreq] - 1.5);
    const double resoOpen = 1.0 - x[kVcfReso];
    engine.resoDamping = static_cast<float>(resoOpen * resoOpen);
    engine.lfoToCutoff = static_cast<float>(2.5 * x[kVcfLfo] * x[kVcfLfo]);
    engine.envToCutoff = static_cast<float>(12.0 * x[kVcfEnv] - 6.0);

    if (x[kVcfVel] < 0.05)
    {
        engine.velocityOff = 1;
        engine.velToCutoff = 0.0f;
    }
    else
    {
        engine.velocityOff = 0;
        engine.velToCutoff = static_cast<float>(0.1 * x[kVcfVel] - 0.05);
    }

    // Amplitude rates are per sample, filter rates per control tick.
    engine.ampAttack = onePoleRate(std::exp(5.5 - 7.5 * x[kEnvAtt]), 1.0, sr);
    engine.ampDecay = onePoleRate(std::exp(5.5 - 7.5 * x[kEnvDec]), 1.0, sr);
    engine.ampSustain = static_cast<float>(x[kEnvSus]);
    engine.ampRelease =
        x[kEnvRel] < 0.01 ? 0.1f : onePoleRate(std::exp(5.5 - 7.5 * x[kEnvRel]), 1.0, sr);

    engine.filtAttack = onePoleRate(std::exp(5.5 - 7.5 * x[kVcfAtt]), kTickRateSamples, sr);
    engine.filtDecay = onePoleRate(std::exp(5.5 - 7.5 * x[kVcfDec]), kTickRateSamples, sr);
    engine.filtSustain = static_cast<float>(x[kVcfSus] * x[kVcfSus]);
    engine.filtRelease = onePoleRate(std::exp(5.5 - 7.5 * x[kVcfRel]), kTickRateSamples, sr);

    engine.glideCoef = x[kGlideRate] < 0.02
                           ? 1.0f
                           : onePoleRate(std::exp(6.0 - 7.0 * x[kGlideRate]), kTickRateSamples, sr);

    const float bend = 6.604f * static_cast<float>(x[kGlideBend]) - 3.302f;
    engine.glideBend = bend * bend * bend;
}

bool applyControllerParameter(EngineState& engine, uint32_t id, double value)
{
    switch (id)
    {
    case kModWheelId:
    case kPitchBendId:
    case kFilterModUpId:
    case kFilterModDownId:
    case kResonanceCtlId:
    case kAftertouchId:
        break;
    default:
        return false;
    }
    if (std::isnan(value)) return true;
    value = std::min(1.0, std::max(0.0, value));

    const double a = 127.0 * value; // the MIDI controller value, 0..127
    switch (id)
    {
    case kModWheelId:
        engine.modWheel = static_cast<float>(0.000005 * (a * a));
        break;
    case kPitchBendId:
        // One semitone each way; exactly 1 in the middle.
        engine.bendRatio = static_cast<float>(std::exp(1.4102e-05 * 8192.0 * (value - 0.5)));
        engine.bendInverse = 1.0f / engine.bendRatio;
        break;
    case kFilterModUpId:
        engine.filterModCtl = static_cast<float>(0.02 * a);
        break;
    case kFilterModDownId:
        engine.filterModCtl = static_cast<float>(-0.03 * a);
        break;
    case kResonanceCtlId:
        engine.resoScale = static_cast<float>(static_cast<float>(154.0 - a) * 0.0065);
        break;
    case kAftertouchId:
        engine.aftertouch = static_cast<float>(0.00001 * static_cast<float>(a * a));
        break;
    }
    return true;
}

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
