// SPDX-License-Identifier: GPL-3.0-or-later
// Reads a fuzz input front to back; past its end every read gives zeros.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class FuzzInput
{
public:
    FuzzInput(const uint8_t* data, size_t size) : data(data), size(size) {}

    bool done() const { return position >= size; }
    uint8_t byte() { return position < size ? data[position++] : 0; }
    uint16_t word() { return static_cast<uint16_t>(byte() | (byte() << 8)); }
    /** Mostly ordinary normalized numbers, sometimes a raw bit pattern (NaN, infinities...). */
    double value()
    {
        if (byte() < 200) return word() / 65535.0;
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = (bits << 8) | byte();
        double raw;
        std::memcpy(&raw, &bits, sizeof(raw));
        return raw;
    }
    /** The next count bytes; at the end of the input count shrinks to what is left. */
    const uint8_t* take(size_t& count)
    {
        const uint8_t* start = data + position;
        if (count > size - position)
            count = size - position;
        position += count;
        return start;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
