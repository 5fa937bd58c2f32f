// SPDX-License-Identifier: GPL-3.0-or-later
// The two envelopes of a voice: one-pole followers whose phase is marked only by the target.
// Attack aims at 2.0; once level + target exceeds 3.0 (the level has passed 1.0) the next
// control tick switches to decay toward the sustain level; release aims at 0.
#pragma once

#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

/** Envelope target during the attack. */
constexpr float kAttackTarget = 2.0f;

/** Samples a release at this rate per sample takes from full level (1.0) to the idle level;
    0xFFFFFFFF when it never gets there (a rate that rounded to 0). */
uint32_t releaseSamples(float releaseRate);

struct Envelope
{
    float level;
    float rate;   // rate now in force
    float target; // 2 in attack, the sustain level in decay, 0 in release

    /** The amplitude envelope every sample, the filter envelope on control ticks. */
    void step() { level = level + (target - level) * rate; }

    /** On control ticks: the change from attack to decay once the level has passed 1.0. */
    void decayAfterPeak(float decayRate, float sustain)
    {
        if (level + target > 3.0f)
        {
            rate = decayRate;
            target = sustain;
        }
    }

    /** Note start: attacks from wherever the level stands. */
    void start(float attackRate)
    {
        target = kAttackTarget;
        rate = attackRate;
    }

    /** Note end: releases from wherever the level stands. */
    void release(float releaseRate)
    {
        target = 0.0f;
        rate = releaseRate;
    }
};

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
