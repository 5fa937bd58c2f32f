// SPDX-License-Identifier: GPL-3.0-or-later
#include "Envelope.h"

#include "EngineState.h"

#include <cmath>
#include <limits>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

uint32_t releaseSamples(float releaseRate)
{
    constexpr uint32_t kNever = std::numeric_limits<uint32_t>::max();
    if (!(releaseRate > 0.0f)) return kNever; // also NaN
    if (releaseRate >= 1.0f) return 1;
    // Each sample keeps (1 - rate) of the level.
    const double samples = std::ceil(std::log(static_cast<double>(kVoiceIdleLevel)) /
                                     std::log1p(-static_cast<double>(releaseRate)));
    return samples < static_cast<double>(kNever) ? static_cast<uint32_t>(samples) : kNever;
}

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
