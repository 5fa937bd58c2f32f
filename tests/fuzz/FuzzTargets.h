// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz targets: each runs one whole session from one input. A session must never crash; the
// result says whether everything it could check stayed sane.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** A processor session: a state stream, then blocks of any size with note events at any
    offset, parameter values of any bit pattern and bypass switches. False if a sample came out
    that is not finite. */
bool runProcessorSession(const uint8_t* data, size_t size);

/** A controller session: a state stream, then text entry of any text, values of any bit
    pattern, and every query a host makes with any index. False if a sound parameter took or
    reported a value outside 0..1 or a display text was not terminated. */
bool runControllerSession(const uint8_t* data, size_t size);

/** A VST 2 session: any opcode with any arguments, chunks and MIDI of any bytes, parameter
    values of any bit pattern, suspend and resume, blocks of any size. False if a sample came out
    that is not finite or a parameter reported a value outside 0..1. */
bool runVst2Session(const uint8_t* data, size_t size);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
