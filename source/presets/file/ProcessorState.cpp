// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProcessorState.h"

#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Presets {

namespace {

void putLittleEndian(std::vector<uint8_t>& out, uint64_t bits, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

uint64_t getLittleEndian(const std::vector<uint8_t>& bytes, size_t at, int size)
{
    uint64_t bits = 0;
    for (int i = size - 1; i >= 0; --i)
        bits = (bits << 8) | bytes[at + static_cast<size_t>(i)];
    return bits;
}

/** The size a state of this count takes, when the bytes hold that much. */
bool announcedSize(const std::vector<uint8_t>& bytes, int32_t& count, size_t& size)
{
    if (bytes.size() < 8) return false;
    count = static_cast<int32_t>(getLittleEndian(bytes, 0, 4));
    if (count < 0) return false;
    size = 8 + 8 * static_cast<size_t>(count);
    return bytes.size() >= size;
}

void decode(const std::vector<uint8_t>& bytes, int32_t count, ProcessorState& state)
{
    state.values.resize(static_cast<size_t>(count));
    for (size_t i = 0; i < state.values.size(); ++i)
    {
        const uint64_t bits = getLittleEndian(bytes, 4 + 8 * i, 8);
        std::memcpy(&state.values[i], &bits, sizeof(double));
    }
    state.bypass = static_cast<int32_t>(getLittleEndian(bytes, 4 + 8 * state.values.size(), 4));
}

} // namespace

bool ProcessorState::parse(const std::vector<uint8_t>& bytes, ProcessorState& state)
{
    int32_t count = 0;
    size_t size = 0;
    if (!announcedSize(bytes, count, size) || bytes.size() != size) return false;
    decode(bytes, count, state);
    return true;
}

bool ProcessorState::read(const std::vector<uint8_t>& bytes, ProcessorState& state)
{
    int32_t count = 0;
    size_t size = 0;
    if (!announcedSize(bytes, count, size) || count == 0) return false;
    decode(bytes, count, state);
    return true;
}

std::vector<uint8_t> ProcessorState::bytes() const
{
    std::vector<uint8_t> out;
    putLittleEndian(out, static_cast<uint32_t>(values.size()), 4);
    for (const double value : values)
    {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof(double));
        putLittleEndian(out, bits, 8);
    }
    putLittleEndian(out, static_cast<uint32_t>(bypass), 4);
    return out;
}

} // namespace Presets
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
