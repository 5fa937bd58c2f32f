// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the controller tests: texts between ASCII and UTF-16, and state streams that end
// early or fail on purpose.
#pragma once

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/vsttypes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace BraskTest {

using namespace Steinberg;

inline std::u16string u16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

/** The text as ASCII, with '?' for anything beyond, so that failures print readably. */
inline std::string ascii(const char16* text)
{
    std::string out;
    for (; text && *text; ++text)
        out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return out;
}

/** The bytes of a processor state: little-endian count, doubles and bypass word. */
class StateBytes
{
public:
    StateBytes& int32LE(int32 value)
    {
        uint32_t u;
        std::memcpy(&u, &value, 4);
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(u >> (8 * i)));
        return *this;
    }
    StateBytes& doubleLE(double value)
    {
        uint64_t u;
        std::memcpy(&u, &value, 8);
        for (int i = 0; i < 8; ++i)
            bytes.push_back(static_cast<uint8_t>(u >> (8 * i)));
        return *this;
    }
    std::vector<uint8_t> bytes;
};

/** A read-only stream over fixed bytes. Like the SDK's memory stream it answers a read beyond
    its end with kResultOk and fewer bytes; from failAfter bytes on every read answers
    kResultFalse instead, as a broken file would. Counts the reads it was asked for. */
class ScriptedStream : public IBStream
{
public:
    explicit ScriptedStream(std::vector<uint8_t> content, size_t failAfter = SIZE_MAX)
        : data(std::move(content)), failAfter(failAfter)
    {}
    virtual ~ScriptedStream() = default;

    tresult PLUGIN_API read(void* buffer, int32 numBytes, int32* numBytesRead) SMTG_OVERRIDE
    {
        ++reads;
        if (numBytesRead) *numBytesRead = 0;
        if (numBytes < 0 || position + static_cast<size_t>(numBytes) > failAfter)
            return kResultFalse;
        const size_t count = std::min(static_cast<size_t>(numBytes), data.size() - position);
        std::memcpy(buffer, data.data() + position, count);
        position += count;
        if (numBytesRead) *numBytesRead = static_cast<int32>(count);
        return kResultOk;
    }
    tresult PLUGIN_API write(void*, int32, int32*) SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API seek(int64, int32, int64*) SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API tell(int64* pos) SMTG_OVERRIDE
    {
        if (pos) *pos = static_cast<int64>(position);
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) SMTG_OVERRIDE
    {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

    long long reads = 0;

private:
    std::vector<uint8_t> data;
    size_t position = 0;
    size_t failAfter;
};

} // namespace BraskTest
