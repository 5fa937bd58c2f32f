// SPDX-License-Identifier: GPL-3.0-or-later
// The band-limited pulse oscillator. Its phase x runs from the bottom up to a turning point m
// in one period and back down in the next, and it emits level * sin(x) / x: one band-limited
// pulse per two periods, with h half-waves between pulse and turning point. The sine comes from
// the recurrence y = c * s0 - s1; sine, cosine and floor run only at a cycle start, which is also
// the only moment the period is sampled, so pitch changes land on cycle boundaries.
// All single precision.
#pragma once

#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

constexpr float kPi = 3.1415927f;

/** Shortest period an oscillator cycle takes. Notes start at 3 samples or more and vibrato and
    bend shorten that to no less than about 2.4; only a glide start can ask oscillator 2 for
    less (its detune applied to the 3-sample floor of oscillator 1). Below 2 samples the turning
    point comes so close to the bottom that the phase can land near 0 and sin(x)/x overflows. */
constexpr float kMinCyclePeriod = 2.0f;

/** One band-limited pulse oscillator of a voice. Its level and the period it is asked for come
    from the voice, because they are shared with the rest of the voice. */
struct Oscillator
{
    float phase;     // runs up to max and back down
    float max;       // turning point of the phase
    float increment; // phase step per sample; the sign is the direction
    float sin0;      // sine recurrence, current value (level-scaled)
    float sin1;      // sine recurrence, previous value
    float coef;      // recurrence factor, 2 cos(increment)
    float dc;        // DC correction added to the integrator every sample

    /** One sample: level is the oscillator's level, period the period product for this sample
        (read only when a new cycle starts). */
    float step(float level, float period)
    {
        float x = phase + increment;
        if (x > 1.0f)
        {
            if (x > max)
            {
                x = 2.0f * max - x;
                increment = -increment;
            }
            phase = x;
            const float y = coef * sin0 - sin1;
            sin1 = sin0;
            sin0 = y;
            return y / x;
        }
        return startCycle(x, level, period);
    }

    /** Back at the bottom (x = phase + increment is at most 1): a new cycle with the present
        period. */
    float startCycle(float x, float level, float period)
    {
        x = -x;
        phase = x;
        if (period < kMinCyclePeriod) period = kMinCyclePeriod;
        const float halfWaves = floorf(period + 0.5f) - 0.5f;
        dc = -0.5f * level / halfWaves;
        max = halfWaves * kPi;
        increment = max / period;
        sin0 = level * sinf(x);
        sin1 = level * sinf(x - increment);
        coef = 2.0f * cosf(increment);
        return x * x > 0.1f ? sin0 / x : level;
    }
};

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
