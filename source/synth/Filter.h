// SPDX-License-Identifier: GPL-3.0-or-later
// The voice filter: a two-pole state-variable low-pass fed with the sum of the present and the
// previous input sample, with a cubic soft limit on the band state. damping sets the resonance
// (0 rings strongest); the coefficient is held below cutoffLimit so the filter stays stable.
#pragma once

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

/** Lowest filter coefficient. */
constexpr float kMinCutoff = 0.005f;
/** Where the band state's cubic limit b - 0.2 b^3 turns: sqrt(5 / 3). */
constexpr float kBandStateLimit = 1.2909944f;
/** Fraction of its distance that the shared cutoff modulation moves per step. */
constexpr float kCutoffSmoothing = 0.005f;

/** Per-block filter values: both fixed for the whole block. */
struct FilterShape
{
    float damping;
    float cutoffLimit;
};

/** resoScale is the Filter Resonance controller's factor, resoDamping VCF Reso's damping. */
inline FilterShape filterShape(float resoScale, float resoDamping)
{
    const float damping = resoScale * resoDamping;
    return {damping, 1.97f - 0.85f * damping};
}

/** Advances the shared cutoff modulation one step toward target. Runs once per sounding voice
    and tick, so it follows k times as fast with k voices sounding. */
inline float smoothCutoff(float cutoffSmooth, float cutoffTarget)
{
    return cutoffSmooth + (cutoffTarget - cutoffSmooth) * kCutoffSmoothing;
}

struct Filter
{
    float keyCutoff; // factor from velocity and the note's period, set at note start
    float cutoff;    // current coefficient
    float low;       // low-pass state: the voice's output before the envelope
    float band;      // band state
    float prevInput; // input of the previous sample

    /** On control ticks: the coefficient from the filter envelope's level, the shared
        modulation, the key factor and the pitch bend. */
    void updateCutoff(float envToCutoff, float envLevel, float cutoffSmooth, float bendRatio)
    {
        const float value = expf(envToCutoff * envLevel + cutoffSmooth) * keyCutoff * bendRatio;
        cutoff = value < kMinCutoff ? kMinCutoff : value;
    }

    /** Every sample: filters input and returns the low-pass state. */
    float step(const FilterShape& shape, float input)
    {
        if (cutoff > shape.cutoffLimit) cutoff = shape.cutoffLimit;
        low = low + cutoff * band;
        const float error = (band * shape.damping + low - input - prevInput) * cutoff;
        prevInput = input;
        // The cubic soft limit only limits up to its turning point; beyond it the cubic folds
        // the state back with growing magnitude and a hard-driven resonant voice runs away to
        // infinity. Holding the state at the turning point keeps every smaller state exactly
        // as it was.
        const float limited = std::min(std::max(band - error, -kBandStateLimit), kBandStateLimit);
        band = limited - ((limited * 0.2f) * limited) * limited;
        return low;
    }
};

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
