// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter IDs that processor, engine and controller share.
#pragma once

#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** The sound parameters: their IDs are also their indexes in the processor's value array. */
enum SoundParam : int32_t
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

/** The MIDI performance controller parameters (four characters, big-endian). */
constexpr uint32_t kModWheelId = 0x6D6F6477;      // 'modw'
constexpr uint32_t kPitchBendId = 0x70697462;     // 'pitb'
constexpr uint32_t kFilterModUpId = 0x62727468;   // 'brth'
constexpr uint32_t kFilterModDownId = 0x63743033; // 'ct03'
constexpr uint32_t kResonanceCtlId = 0x65787072;  // 'expr'
constexpr uint32_t kAftertouchId = 0x61667474;    // 'aftt'

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
