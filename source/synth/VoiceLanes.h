// SPDX-License-Identifier: GPL-3.0-or-later
// The sounding voices' per-sample state as arrays, so that one SSE2 instruction works on four
// voices. The voice records stay the engine's state: the lanes are loaded from them before a
// run of samples and stored back after it, so note events, ticks and everything outside the
// sample loop keep working on the records.
#pragma once

#include "EngineState.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

struct OscillatorLanes
{
    alignas(16) float phase[kVoiceCount];
    alignas(16) float max[kVoiceCount];
    alignas(16) float increment[kVoiceCount];
    alignas(16) float sin0[kVoiceCount];
    alignas(16) float sin1[kVoiceCount];
    alignas(16) float coef[kVoiceCount];
    alignas(16) float dc[kVoiceCount];

    Oscillator get(int32_t v) const
    {
        return {phase[v], max[v], increment[v], sin0[v], sin1[v], coef[v], dc[v]};
    }
    void set(int32_t v, const Oscillator& oscillator)
    {
        phase[v] = oscillator.phase;
        max[v] = oscillator.max;
        increment[v] = oscillator.increment;
        sin0[v] = oscillator.sin0;
        sin1[v] = oscillator.sin1;
        coef[v] = oscillator.coef;
        dc[v] = oscillator.dc;
    }
};

struct VoiceLanes
{
    OscillatorLanes osc1;
    OscillatorLanes osc2;
    alignas(16) float saw[kVoiceCount];
    alignas(16) float level[kVoiceCount]; // amplitude envelope
    alignas(16) float rate[kVoiceCount];
    alignas(16) float target[kVoiceCount];
    alignas(16) float cutoff[kVoiceCount]; // filter
    alignas(16) float low[kVoiceCount];
    alignas(16) float band[kVoiceCount];
    alignas(16) float prevInput[kVoiceCount];
    alignas(16) float gainFactor[kVoiceCount]; // read only
    alignas(16) float leftGain[kVoiceCount];
    alignas(16) float rightGain[kVoiceCount];

    /** Puts a voice into a lane. */
    void load(int32_t lane, const Voice& voice)
    {
        osc1.set(lane, voice.osc1);
        osc2.set(lane, voice.osc2);
        saw[lane] = voice.saw;
        level[lane] = voice.amp.level;
        rate[lane] = voice.amp.rate;
        target[lane] = voice.amp.target;
        cutoff[lane] = voice.filter.cutoff;
        low[lane] = voice.filter.low;
        band[lane] = voice.filter.band;
        prevInput[lane] = voice.filter.prevInput;
        gainFactor[lane] = voice.gainFactor;
        leftGain[lane] = voice.leftGain;
        rightGain[lane] = voice.rightGain;
    }

    /** Gives a lane's state back to its voice. */
    void store(int32_t lane, Voice& voice) const
    {
        voice.osc1 = osc1.get(lane);
        voice.osc2 = osc2.get(lane);
        voice.saw = saw[lane];
        voice.amp.level = level[lane];
        voice.amp.rate = rate[lane];
        voice.amp.target = target[lane];
        voice.filter.cutoff = cutoff[lane];
        voice.filter.low = low[lane];
        voice.filter.band = band[lane];
        voice.filter.prevInput = prevInput[lane];
    }

    /** A lane without a voice: its values stay finite and its samples 0, so that it costs no
        more than a busy lane and never slows the arithmetic with special values. */
    void clear(int32_t lane)
    {
        const Oscillator still{2.0f, 4.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}; // never back at 1
        osc1.set(lane, still);
        osc2.set(lane, still);
        saw[lane] = level[lane] = rate[lane] = target[lane] = 0.0f;
        cutoff[lane] = low[lane] = band[lane] = prevInput[lane] = 0.0f;
        gainFactor[lane] = leftGain[lane] = rightGain[lane] = 0.0f;
    }
};

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
