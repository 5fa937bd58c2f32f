// SPDX-License-Identifier: GPL-3.0-or-later
// Little-endian fields on an IBStream, as the state stream stores them. A read counts as
// successful only when the stream answers kResultOk and delivers every byte asked for: streams
// that end early report success with fewer bytes.
#pragma once

#include "pluginterfaces/base/ibstream.h"

#include <cstdint>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

inline bool readExact(IBStream* stream, uint8_t* bytes, int32 size)
{
    int32 got = 0;
    return stream->read(bytes, size, &got) == kResultOk && got == size;
}

inline bool readInt32LE(IBStream* stream, int32& value)
{
    uint8_t b[4];
    if (!readExact(stream, b, 4)) return false;
    const uint32_t u = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
                       (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
    std::memcpy(&value, &u, sizeof(value));
    return true;
}

inline bool readDoubleLE(IBStream* stream, double& value)
{
    uint8_t b[8];
    if (!readExact(stream, b, 8)) return false;
    uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = (u << 8) | b[i];
    std::memcpy(&value, &u, sizeof(value));
    return true;
}

inline void writeInt32LE(IBStream* stream, int32 value)
{
    uint32_t u;
    std::memcpy(&u, &value, sizeof(u));
    uint8_t b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<uint8_t>(u >> (8 * i));
    stream->write(b, 4, nullptr);
}

inline void writeDoubleLE(IBStream* stream, double value)
{
    uint64_t u;
    std::memcpy(&u, &value, sizeof(u));
    uint8_t b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<uint8_t>(u >> (8 * i));
    stream->write(b, 8, nullptr);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
