// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavWriter.h"

#include <unistd.h> // write, lseek and close; MinGW-w64 has them too

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

namespace Steinberg::Vst::Tarvik::Render {

namespace {

constexpr int kChannels = 2;
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatIeeeFloat = 3;

// RIFF header, "fmt " chunk, a "fact" chunk for float (required for formats other than PCM),
// then the "data" chunk header. The sizes are filled in when the file is finished.
constexpr size_t kFmtChunkBytes = 8 + 16;
constexpr size_t kFactChunkBytes = 8 + 4;

size_t headerBytes(WavWriter::Format format)
{
    return 12 + kFmtChunkBytes + (format == WavWriter::Format::Float32 ? kFactChunkBytes : 0) + 8;
}

void put16(unsigned char* at, uint32_t value)
{
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void put32(unsigned char* at, uint32_t value)
{
    put16(at, value);
    put16(at + 2, value >> 16);
}

/** Full scale as a 32-bit integer, rounded to nearest and clipped: the top 16 or 24 bits of it are
    the PCM sample, exactly as libsndfile converts with clipping on. NaN becomes silence. */
int32_t fullScale32(float sample)
{
    const float scaled = sample * static_cast<float>(0x7FFFFFFF);
    if (std::isnan(scaled)) return 0;
    if (scaled >= static_cast<float>(INT32_MAX)) return INT32_MAX;
    if (scaled <= static_cast<float>(INT32_MIN)) return INT32_MIN;
    return static_cast<int32_t>(std::lrintf(scaled));
}

void encode(WavWriter::Format format, float sample, unsigned char* at)
{
    switch (format)
    {
    case WavWriter::Format::Pcm16:
        put16(at, static_cast<uint32_t>(fullScale32(sample) >> 16));
        return;
    case WavWriter::Format::Pcm24:
    {
        const auto value = static_cast<uint32_t>(fullScale32(sample) >> 8);
        put16(at, value);
        at[2] = static_cast<unsigned char>(value >> 16);
        return;
    }
    case WavWriter::Format::Float32:
        break;
    }
    uint32_t bits = 0;
    std::memcpy(&bits, &sample, sizeof(bits));
    put32(at, bits);
}

} // namespace

int WavWriter::frameBytes(Format format)
{
    switch (format)
    {
    case Format::Pcm16:
        return 2 * kChannels;
    case Format::Pcm24:
        return 3 * kChannels;
    case Format::Float32:
        break;
    }
    return 4 * kChannels;
}

int64_t WavWriter::maxFrames(Format format)
{
    // The RIFF size field is 32 bits; leave room for the header chunks.
    constexpr int64_t kMaxDataBytes = 0xFFFFFFFFLL - 4096;
    return kMaxDataBytes / frameBytes(format);
}

WavWriter::~WavWriter()
{
    discard();
}

bool WavWriter::writeBytes(const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0)
    {
        errno = 0;
        const auto written =
            ::write(file, bytes, static_cast<unsigned>(std::min<size_t>(size, 1u << 30)));
        if (written <= 0)
        {
            failure = std::strerror(errno != 0 ? errno : EIO);
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool WavWriter::writeHeader()
{
    const bool isFloat = format == Format::Float32;
    const auto blockAlign = static_cast<uint32_t>(frameBytes(format));
    const uint64_t dataBytes = static_cast<uint64_t>(frames) * blockAlign;
    const size_t size = headerBytes(format);
    unsigned char header[64] = {};
    unsigned char* at = header;
    std::memcpy(at, "RIFF", 4);
    put32(at + 4, static_cast<uint32_t>(size - 8 + dataBytes));
    std::memcpy(at + 8, "WAVE", 4);
    at += 12;
    std::memcpy(at, "fmt ", 4);
    put32(at + 4, 16);
    put16(at + 8, isFloat ? kFormatIeeeFloat : kFormatPcm);
    put16(at + 10, kChannels);
    put32(at + 12, static_cast<uint32_t>(sampleRate));
    put32(at + 16, static_cast<uint32_t>(sampleRate) * blockAlign);
    put16(at + 20, blockAlign);
    put16(at + 22, blockAlign / kChannels * 8);
    at += kFmtChunkBytes;
    if (isFloat)
    {
        std::memcpy(at, "fact", 4);
        put32(at + 4, 4);
        put32(at + 8, static_cast<uint32_t>(frames));
        at += kFactChunkBytes;
    }
    std::memcpy(at, "data", 4);
    put32(at + 4, static_cast<uint32_t>(dataBytes));
    if (::lseek(file, 0, SEEK_SET) != 0)
    {
        failure = std::strerror(errno);
        return false;
    }
    return writeBytes(header, size);
}

bool WavWriter::open(const std::string& path, Format fileFormat, int rate, std::string& error)
{
    discard();
    file = pending.create(path, error);
    if (file < 0) return false;
    format = fileFormat;
    sampleRate = rate;
    frames = 0;
    clipped = 0;
    peak = 0.0f;
    failure.clear();
    clips = format != Format::Float32;
    // The header goes first with empty sizes; commit fills them in.
    if (!writeHeader())
    {
        error = "cannot write " + path + ": " + failure;
        discard();
        return false;
    }
    return true;
}

bool WavWriter::write(const float* left, const float* right, int32_t count)
{
    if (file < 0)
    {
        failure = "no output file is open";
        return false;
    }
    if (count <= 0) return true;
    const auto sampleBytes = static_cast<size_t>(frameBytes(format) / kChannels);
    encoded.resize(static_cast<size_t>(count) * kChannels * sampleBytes);
    unsigned char* at = encoded.data();
    for (int32_t i = 0; i < count; ++i)
    {
        for (const float input : {left[i], right[i]})
        {
            const float sample = input * gain;
            const float level = std::fabs(sample);
            peak = std::max(peak, level);
            if (clips && level > 1.0f) ++clipped;
            encode(format, sample, at);
            at += sampleBytes;
        }
    }
    if (!writeBytes(encoded.data(), encoded.size())) return false;
    frames += count;
    return true;
}

bool WavWriter::close(std::string& reason)
{
    if (file < 0) return true;
    errno = 0;
    const bool closed = ::close(file) == 0;
    file = -1;
    if (!closed) reason = std::strerror(errno);
    return closed;
}

bool WavWriter::commit(std::string& error)
{
    if (file < 0)
    {
        error = "no output file is open";
        return false;
    }
    // A write that failed earlier leaves the file incomplete whatever happens now.
    std::string reason = failure;
    if (reason.empty() && !writeHeader()) reason = failure;
    const bool closed = close(reason);
    if (!closed || !reason.empty())
    {
        error = "cannot finish " + pending.targetPath() + ": " + reason;
        failure = reason;
        pending.discard();
        return false;
    }
    return pending.commit(error);
}

void WavWriter::discard()
{
    std::string ignored;
    close(ignored);
    pending.discard();
}

} // namespace Steinberg::Vst::Tarvik::Render
