// SPDX-License-Identifier: GPL-3.0-or-later
// Little-endian fields on an IBStream, as the state stream stores them. A read counts as
// successful only when the stream answers kResultOk and delivers every byte asked for: streams
// that end early report success with fewer bytes.
#pragma once

#include "pluginterfaces/base/ibstream.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

inline bool readExact(IBStream* stream, uint8_t* bytes, int32 size)
{
    int32 got = 0;
    return stream->read(bytes, size, &got) == kResultOk && got == size;
}

/** Reads a 4- or 8-byte value stored little-endian. */
template <typename T>
bool readLittleEndian(IBStream* stream, T& value)
{
    static_assert(sizeof(T) == 4 || sizeof(T) == 8, "4- or 8-byte fields only");
    using Bits = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
    uint8_t bytes[sizeof(T)];
    if (!readExact(stream, bytes, sizeof(T))) return false;
    Bits bits = 0;
    for (size_t i = sizeof(T); i-- > 0;)
        bits = static_cast<Bits>((bits << 8) | bytes[i]);
    std::memcpy(&value, &bits, sizeof(T));
    return true;
}

/** Writes a 4- or 8-byte value little-endian; write errors are not reported. */
template <typename T>
void writeLittleEndian(IBStream* stream, T value)
{
    static_assert(sizeof(T) == 4 || sizeof(T) == 8, "4- or 8-byte fields only");
    using Bits = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
    Bits bits;
    std::memcpy(&bits, &value, sizeof(T));
    uint8_t bytes[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    stream->write(bytes, sizeof(T), nullptr);
}

inline bool readInt32LE(IBStream* stream, int32& value)
{
    return readLittleEndian(stream, value);
}

inline bool readDoubleLE(IBStream* stream, double& value)
{
    return readLittleEndian(stream, value);
}

inline void writeInt32LE(IBStream* stream, int32 value)
{
    writeLittleEndian(stream, value);
}

inline void writeDoubleLE(IBStream* stream, double value)
{
    writeLittleEndian(stream, value);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
