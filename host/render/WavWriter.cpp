// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavWriter.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

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

/** The reason for a failed libsndfile call: the system's text when the system refused (errno
    as the call left it), else libsndfile's own message. */
std::string failureReason(int errorNumber, int systemError)
{
    if (errorNumber == SF_ERR_SYSTEM && systemError != 0) return std::strerror(systemError);
    return sf_error_number(errorNumber);
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
    errno = 0;
    file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file)
    {
        error = "cannot write " + path + ": " + failureReason(sf_error(nullptr), errno);
        ::close(fd);
        pending.discard();
        return false;
    }
    clips = format != Format::Float32;
    if (clips) sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    frames = 0;
    clipped = 0;
    peak = 0.0f;
    failure.clear();
    return true;
}

bool WavWriter::write(const float* left, const float* right, int32_t count)
{
    if (!file) return false;
    interleaved.resize(static_cast<size_t>(count) * kChannels);
    for (int32_t i = 0; i < count; ++i)
    {
        interleaved[static_cast<size_t>(i) * kChannels] = left[i] * gain;
        interleaved[static_cast<size_t>(i) * kChannels + 1] = right[i] * gain;
    }
    for (const float sample : interleaved)
    {
        const float level = std::fabs(sample);
        peak = std::max(peak, level);
        if (clips && level > 1.0f) ++clipped;
    }
    errno = 0;
    const sf_count_t written = sf_writef_float(file, interleaved.data(), count);
    if (written != count) failure = failureReason(sf_error(file), errno);
    frames += written;
    return written == count;
}

bool WavWriter::close(std::string& reason)
{
    if (!file) return true;
    errno = 0;
    const int result = sf_close(file);
    const int systemError = errno;
    file = nullptr;
    if (result != 0) reason = failureReason(result, systemError);
    return result == 0;
}

bool WavWriter::commit(std::string& error)
{
    if (!file)
    {
        error = "no output file is open";
        return false;
    }
    // A write that failed earlier leaves a file that sf_close still finishes without complaint.
    std::string reason = failure;
    if (reason.empty() && sf_error(file) != SF_ERR_NO_ERROR) reason = sf_strerror(file);
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

} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
