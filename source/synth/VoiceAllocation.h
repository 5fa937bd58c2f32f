// SPDX-License-Identifier: GPL-3.0-or-later
// Note events to voices: voice choice and stealing, the six voice modes, the held-note queue of
// the mono modes, a voice's start values and its release.
#pragma once

#include "EngineState.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

/** Shortest period in samples an oscillator may get at note start. */
constexpr float kMinPeriod = 3.0f;

/** Period in samples of a (possibly fractional) note number, raised by octaves until both
    oscillators have at least kMinPeriod samples. */
float notePeriod(const EngineState& engine, double pitch);

/** One note event between two samples. velocity is 0..127, 0 meaning note-off; note 0..127. */
void noteOn(EngineState& engine, int32_t note, int32_t velocity, int32_t noteId);

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
