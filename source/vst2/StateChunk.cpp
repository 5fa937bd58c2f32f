// SPDX-License-Identifier: GPL-3.0-or-later
#include "StateChunk.h"

#include <zlib.h>

#include <cmath>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

constexpr char kTag[4] = {'T', 'B', 'r', 'k'};
constexpr size_t kWordSize = 4;

void putWord(std::vector<uint8_t>& out, uint32_t word)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(word >> shift));
}

uint32_t wordAt(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint32_t checksum(const uint8_t* bytes, size_t size)
{
    return static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), bytes, static_cast<uInt>(size)));
}

void putSection(std::vector<uint8_t>& out, const uint8_t* bytes, size_t size)
{
    putWord(out, static_cast<uint32_t>(size));
    out.insert(out.end(), bytes, bytes + size);
}

/** Reads one length-prefixed section at position; false when it runs past end. */
bool takeSection(const uint8_t* bytes, size_t end, size_t& position, const uint8_t*& section,
                 size_t& size)
{
    if (end - position < kWordSize) return false;
    size = wordAt(bytes + position);
    position += kWordSize;
    if (size > end - position) return false;
    section = bytes + position;
    position += size;
    return true;
}

} // namespace

std::vector<uint8_t> StateChunk::write() const
{
    std::vector<uint8_t> out(kTag, kTag + sizeof kTag);
    putWord(out, kVersion);
    putSection(out, processorState.data(), processorState.size());
    putSection(out, controllerState.data(), controllerState.size());
    putSection(out, reinterpret_cast<const uint8_t*>(programName.data()), programName.size());
    putWord(out, checksum(out.data(), out.size()));
    return out;
}

bool StateChunk::read(const void* data, size_t size)
{
    if (!data || size < sizeof kTag + 2 * kWordSize || size > kMaxSize) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (std::memcmp(bytes, kTag, sizeof kTag) != 0) return false;
    if (wordAt(bytes + sizeof kTag) != kVersion) return false;
    const size_t end = size - kWordSize; // where the checksum starts
    if (wordAt(bytes + end) != checksum(bytes, end)) return false;

    size_t position = sizeof kTag + kWordSize;
    const uint8_t* sections[3] = {};
    size_t sizes[3] = {};
    for (int i = 0; i < 3; ++i)
    {
        if (!takeSection(bytes, end, position, sections[i], sizes[i])) return false;
    }
    if (position != end) return false;

    processorState.assign(sections[0], sections[0] + sizes[0]);
    controllerState.assign(sections[1], sections[1] + sizes[1]);
    programName.assign(reinterpret_cast<const char*>(sections[2]), sizes[2]);
    return true;
}

uint32_t processorValueCount(const std::vector<uint8_t>& state)
{
    return state.size() >= kWordSize ? wordAt(state.data()) : 0;
}

void setProcessorValue(std::vector<uint8_t>& state, uint32_t index, double value)
{
    const size_t at = kWordSize + 8 * size_t{index};
    if (index < processorValueCount(state) && at + sizeof value <= state.size())
        std::memcpy(state.data() + at, &value, sizeof value);
}

bool plausibleProcessorState(const std::vector<uint8_t>& state,
                             const std::vector<uint8_t>& reference)
{
    // count (4 bytes), count doubles, a 4-byte bypass word
    if (state.size() != reference.size() || state.size() < 2 * kWordSize) return false;
    const uint32_t count = wordAt(state.data());
    if (count != wordAt(reference.data()) || state.size() != 2 * kWordSize + 8 * size_t{count})
        return false;
    for (uint32_t i = 0; i < count; ++i)
    {
        double value = 0.0;
        std::memcpy(&value, state.data() + kWordSize + 8 * size_t{i}, sizeof value);
        if (!std::isfinite(value) || value < 0.0 || value > 1.0) return false;
    }
    return true;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
