// SPDX-License-Identifier: GPL-3.0-or-later
// StateChunk: the blob that a VST 2 host keeps in its project for one instance. It holds the
// processor's state stream, the controller's state and the program name, each length-prefixed,
// behind a tag and a format version and followed by a CRC-32 of everything before it, so that a
// damaged, truncated or foreign blob is recognised before anything is changed.
//
// Layout, little-endian: "TBrk" | uint32 version | uint32 n, n bytes processor state |
// uint32 n, n bytes controller state | uint32 n, n bytes program name (UTF-8) | uint32 CRC-32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

struct StateChunk
{
    static constexpr uint32_t kVersion = 1;
    /** Larger blobs are refused unread: no state of this instrument comes near it. */
    static constexpr size_t kMaxSize = 1 << 20;

    std::vector<uint8_t> processorState;
    std::vector<uint8_t> controllerState;
    std::string programName;

    std::vector<uint8_t> write() const;

    /** Fills this chunk from a blob; false (and this chunk unchanged) for anything that is not
        a complete, intact blob of a version this code can read. */
    bool read(const void* data, size_t size);
};

/** The number of values a processor state stream holds (its first word); 0 when too short. */
uint32_t processorValueCount(const std::vector<uint8_t>& state);

/** Replaces value `index` of a processor state stream; nothing happens outside the stream. */
void setProcessorValue(std::vector<uint8_t>& state, uint32_t index, double value);

/** True when a processor state stream has the shape of the one the processor writes: the same
    length as the reference, the same value count, and every value a finite number in 0..1. */
bool plausibleProcessorState(const std::vector<uint8_t>& state,
                             const std::vector<uint8_t>& reference);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
