// SPDX-License-Identifier: GPL-3.0-or-later
// The noise source shared by all voices: a 32-bit linear congruential generator whose low 23
// bits become the mantissa of a float in [2, 4).
#pragma once

#include <cstdint>

#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

/** Advances the generator and returns the next value in [-1, 1), before any level. */
inline float noiseStep(uint32_t& state)
{
    state = state * 196314165u + 907633515u;
    const uint32_t bits = (state & 0x7FFFFFu) | 0x40000000u;
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value - 3.0f;
}

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
