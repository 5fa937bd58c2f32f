// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavWriter.h"

#include <sndfile.h>
#include <unistd.h>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {

namespace {

constexpr int kChannels = 2;

int subtype(WavWriter::Format format)
{
    switch (format)
    {
    case WavWriter::Format::Pcm16:
        return SF_FORMAT_PCM_16;
    case WavWriter::Format::Pcm24:
        return SF_FORMAT_PCM_24;
    case WavWriter::Format::Float32:
        break;
    }
    return SF_FORMAT_FLOAT;
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
    // The RIFF size field is 32 bits; leave room for the header chunks libsndfile writes.
    constexpr int64_t kMaxDataBytes = 0xFFFFFFFFLL - 4096;
    return kMaxDataBytes / frameBytes(format);
}

WavWriter::~WavWriter()
{
    discard();
}

bool WavWriter::open(const std::string& path, Format format, int sampleRate, std::string& error)
{
    discard();
    const int fd = pending.create(path, error);
    if (fd < 0) return false;

    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = kChannels;
    info.format = SF_FORMAT_WAV | subtype(format);
    file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file)
    {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        ::close(fd);
        pending.discard();
        return false;
    }
    if (format != Format::Float32) sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    frames = 0;
    return true;
}

bool WavWriter::write(const float* left, const float* right, int32_t count)
{
    if (!file) return false;
    interleaved.resize(static_cast<size_t>(count) * kChannels);
    for (int32_t i = 0; i < count; ++i)
    {
        interleaved[static_cast<size_t>(i) * kChannels] = left[i];
        interleaved[static_cast<size_t>(i) * kChannels + 1] = right[i];
    }
    const sf_count_t written = sf_writef_float(file, interleaved.data(), count);
    frames += written;
    return written == count;
}

std::string WavWriter::lastError() const
{
    return sf_strerror(file);
}

bool WavWriter::close()
{
    if (!file) return true;
    const int result = sf_close(file);
    file = nullptr;
    return result == 0;
}

bool WavWriter::commit(std::string& error)
{
    if (!file)
    {
        error = "no output file is open";
        return false;
    }
    const std::string failure = sf_strerror(file);
    if (!close())
    {
        error = "cannot finish " + pending.targetPath() + ": " + failure;
        pending.discard();
        return false;
    }
    return pending.commit(error);
}

void WavWriter::discard()
{
    close();
    pending.discard();
}

} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
