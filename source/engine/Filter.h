// SPDX-License-Identifier: GPL-3.0-or-later
// The voice filter: a two-pole state-variable low-pass fed with the sum of the present and the
// previous input sample, with a cubic soft limit on the band state. damping sets the resonance
// (0 rings strongest); the coefficient is held below cutoffLimit so the filter stays stable.
#pragma once

#include "EngineState.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

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

inline FilterShape filterShape(const EngineState& engine)
{
    const float damping = engine.resoScale * engine.resoDamping;
    return {damping, 1.97f - 0.85f * damping};
}

/** Advances the shared cutoff modulation one step toward target. Runs once per sounding voice
    and tick, so it follows k times as fast with k voices sounding. */
inline float smoothCutoff(float cutoffSmooth, float cutoffTarget)
{
    return cutoffSmooth + (cutoffTarget - cutoffSmooth) * kCutoffSmoothing;
}

/** On control ticks: the voice's coefficient from the filter envelope, the shared modulation,
    its key factor and the pitch bend. */
inline void updateCutoff(Voice& voice, float envToCutoff, float cutoffSmooth, float bendRatio)
{
    const float cutoff =
        expf(envToCutoff * voice.fenv + cutoffSmooth) * voice.keyCutoff * bendRatio;
    voice.cutoff = cutoff < kMinCutoff ? kMinCutoff : cutoff;
}

/** Every sample: filters input and returns the voice's output sample, scaled by its level. */
inline float filterStep(Voice& voice, const FilterShape& shape, float input)
{
    if (voice.cutoff > shape.cutoffLimit) voice.cutoff = shape.cutoffLimit;
    voice.filtLow = voice.filtLow + voice.cutoff * voice.filtBand;
    const float error =
        (voice.filtBand * shape.damping + voice.filtLow - input - voice.prevInput) * voice.cutoff;
    voice.prevInput = input;
    // The cubic soft limit only limits up to its turning point; beyond it the cubic folds the
    // state back with growing magnitude and a hard-driven resonant voice runs away to infinity.
    // Holding the state at the turning point keeps every smaller state exactly as it was.
    const float band =
        std::min(std::max(voice.filtBand - error, -kBandStateLimit), kBandStateLimit);
    voice.filtBand = band - ((band * 0.2f) * band) * band;
    return voice.filtLow * voice.env * voice.gainFactor;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
