// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the controller tests: readable texts and processor state streams.
#pragma once

#include "ShownText.h"

#include "public.sdk/source/common/memorystream.h"

#include <cstring>
#include <string>
#include <vector>

namespace BraskTest {

using namespace Steinberg;

using Vst::Tarvik::TestSupport::ascii;

/** Appends an int32 or a double as the state stores it (x86-64 is little-endian too). */
template <typename T>
void append(std::vector<uint8_t>& bytes, T value)
{
    const auto* raw = reinterpret_cast<const uint8_t*>(&value);
    bytes.insert(bytes.end(), raw, raw + sizeof(T));
}

/** Reads the bytes as the SDK's memory stream does (short reads at the end) and counts the
    reads it was asked for. */
class CountingStream : public MemoryStream
{
public:
    explicit CountingStream(std::vector<uint8_t>& bytes)
        : MemoryStream(bytes.data(), static_cast<TSize>(bytes.size()))
    {}
    tresult PLUGIN_API read(void* data, int32 size, int32* done) SMTG_OVERRIDE
    {
        ++reads;
        return MemoryStream::read(data, size, done);
    }
    long long reads = 0;
};

} // namespace BraskTest
