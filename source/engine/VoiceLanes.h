// SPDX-License-Identifier: GPL-3.0-or-later
// The voices' per-sample state as arrays, lane v being voice v, so that one SSE2 instruction
// works on four voices. The voice records stay the engine's state: the lanes are loaded from
// them before a run of samples and stored back after it, so note events, ticks and everything
// outside the sample loop keep working on the records.
#pragma once

#include "EngineState.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

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

    void load(const Voice* voices)
    {
        for (int32_t v = 0; v < kVoiceCount; ++v)
        {
            const Voice& voice = voices[v];
            osc1.set(v, voice.osc1);
            osc2.set(v, voice.osc2);
            saw[v] = voice.saw;
            level[v] = voice.amp.level;
            rate[v] = voice.amp.rate;
            target[v] = voice.amp.target;
            cutoff[v] = voice.filter.cutoff;
            low[v] = voice.filter.low;
            band[v] = voice.filter.band;
            prevInput[v] = voice.filter.prevInput;
            gainFactor[v] = voice.gainFactor;
            leftGain[v] = voice.leftGain;
            rightGain[v] = voice.rightGain;
        }
    }

    void store(Voice* voices) const
    {
        for (int32_t v = 0; v < kVoiceCount; ++v)
        {
            Voice& voice = voices[v];
            voice.osc1 = osc1.get(v);
            voice.osc2 = osc2.get(v);
            voice.saw = saw[v];
            voice.amp.level = level[v];
            voice.amp.rate = rate[v];
            voice.amp.target = target[v];
            voice.filter.cutoff = cutoff[v];
            voice.filter.low = low[v];
            voice.filter.band = band[v];
            voice.filter.prevInput = prevInput[v];
        }
    }
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
