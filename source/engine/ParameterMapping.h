// SPDX-License-Identifier: GPL-3.0-or-later
// From normalized parameter values (doubles in 0..1) to the engine's working values: the sound
// parameters through recalcEngine, the MIDI performance controllers one by one.
#pragma once

#include "EngineState.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** Indexes of the sound parameters in the value array; equal to their parameter IDs. */
enum SoundParam : int32
{
    kOscMix = 0,
    kOscTune,
    kOscFine,
    kGlide,
    kGlideRate,
    kGlideBend,
    kVcfFreq,
    kVcfReso,
    kVcfEnv,
    kVcfLfo,
    kVcfVel,
    kVcfAtt,
    kVcfDec,
    kVcfSus,
    kVcfRel,
    kEnvAtt,
    kEnvDec,
    kEnvSus,
    kEnvRel,
    kLfoRate,
    kVibrato,
    kNoise,
    kOctave,
    kTuning,
    kSoundParamCount
};

/** IDs of the MIDI performance controller parameters (four characters, big-endian). */
constexpr uint32 kModWheelId = 0x6D6F6477;      // 'modw'
constexpr uint32 kPitchBendId = 0x70697462;     // 'pitb'
constexpr uint32 kFilterModUpId = 0x62727468;   // 'brth'
constexpr uint32 kFilterModDownId = 0x63743033; // 'ct03'
constexpr uint32 kResonanceCtlId = 0x65787072;  // 'expr'
constexpr uint32 kAftertouchId = 0x61667474;    // 'aftt'

/** The single-precision twelfth root of two. */
constexpr float kSemitoneRatio = 1.0594631f;

/** Derives every value that depends on the sound parameters. values holds kSoundParamCount
    entries in 0..1; sampleRate is positive. Touches nothing else. */
void recalcEngine(EngineState& engine, const double* values, double sampleRate);

/** Applies one MIDI performance controller at once. Returns false for any other ID. A NaN
    value is ignored, values outside 0..1 are clamped. */
bool applyControllerParameter(EngineState& engine, uint32 id, double value);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
