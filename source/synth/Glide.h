// SPDX-License-Identifier: GPL-3.0-or-later
// Glide: on control ticks the period moves toward the note's period. A second step while the
// period is still above the target makes upward glides (toward a shorter period) twice as fast
// as downward ones; that asymmetry is part of the instrument's sound.
#pragma once

#include "EngineState.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

inline void glideStep(Voice& voice, float glideCoef)
{
    voice.period += (voice.targetPeriod - voice.period) * glideCoef;
    if (voice.period > voice.targetPeriod)
        voice.period += (voice.targetPeriod - voice.period) * glideCoef;
}

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
