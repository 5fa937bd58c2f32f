// SPDX-License-Identifier: GPL-3.0-or-later
// The two envelopes of a voice: one-pole followers whose phase is marked only by the target.
// Attack aims at 2.0; once level + target exceeds 3.0 (the level has passed 1.0) the next
// control tick switches to decay toward the sustain level; release aims at 0.
#pragma once

#include "EngineState.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** Envelope target during the attack. */
constexpr float kAttackTarget = 2.0f;

/** Samples a release at this rate per sample takes from full level (1.0) to the idle level;
    0xFFFFFFFF when it never gets there (a rate that rounded to 0). */
uint32 releaseSamples(float releaseRate);

/** Every sample. */
inline void ampEnvelopeStep(Voice& voice)
{
    voice.env = voice.env + (voice.envTarget - voice.env) * voice.envRate;
}

/** On control ticks: the amplitude envelope's change from attack to decay. */
inline void ampEnvelopePhaseChange(Voice& voice, const EngineState& engine)
{
    if (voice.env + voice.envTarget > 3.0f)
    {
        voice.envRate = engine.ampDecay;
        voice.envTarget = engine.ampSustain;
    }
}

/** On control ticks: the filter envelope's step and its change from attack to decay. */
inline void filterEnvelopeTick(Voice& voice, const EngineState& engine)
{
    voice.fenv = voice.fenv + (voice.fenvTarget - voice.fenv) * voice.fenvRate;
    if (voice.fenv + voice.fenvTarget > 3.0f)
    {
        voice.fenvRate = engine.filtDecay;
        voice.fenvTarget = engine.filtSustain;
    }
}

/** Note start: both envelopes attack from wherever they stand. */
inline void startEnvelopes(Voice& voice, const EngineState& engine)
{
    voice.envTarget = kAttackTarget;
    voice.envRate = engine.ampAttack;
    voice.fenvTarget = kAttackTarget;
    voice.fenvRate = engine.filtAttack;
}

/** Note end: both envelopes release from wherever they stand. */
inline void releaseEnvelopes(Voice& voice, const EngineState& engine)
{
    voice.envTarget = 0.0f;
    voice.envRate = engine.ampRelease;
    voice.fenvTarget = 0.0f;
    voice.fenvRate = engine.filtRelease;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
