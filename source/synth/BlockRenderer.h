// SPDX-License-Identifier: GPL-3.0-or-later
// Renders one block: walks the block's note events, runs the voices sample by sample with a
// control tick every 33 samples (LFO, filter envelope, cutoff, glide), and clears the voices
// that have fallen silent. With nothing sounding and no event the block is a plain fill with
// zeros that leaves every generator where it was.
#pragma once

#include "EngineState.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

/** Samples between control ticks, counting the tick sample itself: the countdown is reset to
    32 and a tick runs when it drops below 0. The per-tick rates assume 32. */
constexpr int32_t kTickCountdownReset = 32;

/** How the voices' per-sample work runs. Both give the same bits: the lanes run four voices
    per SSE2 instruction with each voice's operations in the scalar order, and the voices are
    summed into the output in voice order. */
enum class RenderPath
{
    kScalar,
    kLanes, // the scalar path where the build has no SSE2 lanes
};

/** Whether kLanes runs in SSE2 lanes in this build. */
bool renderLanesAvailable();

/** Writes numSamples (at least 1) samples to left and right, assigning every one, and consumes
    the block's events. An event earlier than the samples already rendered (or negative) is
    applied at the current sample; one at numSamples or later is dropped. */
void renderBlock(EngineState& engine, float* left, float* right, int32_t numSamples,
                 RenderPath path = RenderPath::kLanes);

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
