// SPDX-License-Identifier: GPL-3.0-or-later
// One fuzz input drives a whole processor session: a state stream, then blocks of any size with
// note events at any offset, parameter values of any bit pattern (NaN included) and bypass
// switches. The session must never crash and never produce a sample that is not finite.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** Runs one input; returns false if the processor produced a sample that is not finite. */
bool runProcessorSession(const uint8_t* data, size_t size);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
