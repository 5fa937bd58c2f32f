// SPDX-License-Identifier: GPL-3.0-or-later
// From normalized parameter values (doubles in 0..1) to the engine's working values: the sound
// parameters through recalcEngine, the MIDI performance controllers one by one.
#pragma once

#include "BraskParameterIds.h"
#include "EngineState.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

/** The single-precision twelfth root of two. */
constexpr float kSemitoneRatio = 1.0594631f;

/** Derives every value that depends on the sound parameters. values holds kSoundParamCount
    entries in 0..1; sampleRate is positive. Touches nothing else. */
void recalcEngine(EngineState& engine, const double* values, double sampleRate);

/** Applies one MIDI performance controller at once. Returns false for any other ID. A NaN
    value is ignored, values outside 0..1 are clamped. */
bool applyControllerParameter(EngineState& engine, uint32_t id, double value);

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
