// SPDX-License-Identifier: GPL-3.0-or-later
#include "Envelope.h"

#include <cmath>
#include <limits>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

uint32 releaseSamples(float releaseRate)
{
    constexpr uint32 kNever = std::numeric_limits<uint32>::max();
    if (!(releaseRate > 0.0f)) return kNever; // also NaN
    if (releaseRate >= 1.0f) return 1;
    // Each sample keeps (1 - rate) of the level.
    const double samples = std::ceil(std::log(static_cast<double>(kVoiceIdleLevel)) /
                                     std::log1p(-static_cast<double>(releaseRate)));
    return samples < static_cast<double>(kNever) ? static_cast<uint32>(samples) : kNever;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
