// SPDX-License-Identifier: GPL-3.0-or-later
// The processor state as a preset's 'Comp' chunk and a host's project hold it: a 32-bit count,
// that many normalized values as little-endian doubles, then a 32-bit bypass word.
#pragma once

#include <cstdint>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Presets {

struct ProcessorState
{
    std::vector<double> values;
    int32_t bypass = 0;

    /** Exactly one state and nothing after it; false for anything else. */
    static bool parse(const std::vector<uint8_t>& bytes, ProcessorState& state);
    /** As the processor reads a stream: a positive count and every field it announces, with
        whatever follows the bypass word left unread. The values are kept as stored, also those
        that are no setting (NaN, outside 0..1), which a reader skips as the processor does. */
    static bool read(const std::vector<uint8_t>& bytes, ProcessorState& state);
    std::vector<uint8_t> bytes() const;
};

} // namespace Presets
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
