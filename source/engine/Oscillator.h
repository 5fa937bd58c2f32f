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

constexpr float kPi = 3.1415927f;

/** Shortest period an oscillator cycle takes. Notes start at 3 samples or more and vibrato and
    bend shorten that to no less than about 2.4; only a glide start can ask oscillator 2 for
    less (its detune applied to the 3-sample floor of oscillator 1). Below 2 samples the turning
    point comes so close to the bottom that the phase can land near 0 and sin(x)/x overflows. */
constexpr float kMinCyclePeriod = 2.0f;

/** One sample of one oscillator. phase, max, step, sin0, sin1, coef and dc are the oscillator's
    fields in the voice; level its level and period the period product for this sample. */
inline float oscillatorStep(float& phase, float& max, float& step, float& sin0, float& sin1,
                            float& coef, float& dc, float level, float period)
{
    float x = phase + step;
    if (x > 1.0f)
    {
        if (x > max)
        {
            x = 2.0f * max - x;
            step = -step;
        }
        phase = x;
        const float y = coef * sin0 - sin1;
        sin1 = sin0;
        sin0 = y;
        return y / x;
    }

    // Back at the bottom: a new cycle with the present period.
    x = -x;
    phase = x;
    if (period < kMinCyclePeriod) period = kMinCyclePeriod;
    const float halfWaves = floorf(period + 0.5f) - 0.5f;
    dc = -0.5f * level / halfWaves;
    max = halfWaves * kPi;
    step = max / period;
    sin0 = level * sinf(x);
    sin1 = level * sinf(x - step);
    coef = 2.0f * cosf(step);
    return x * x > 0.1f ? sin0 / x : level;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
