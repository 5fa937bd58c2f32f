// SPDX-License-Identifier: GPL-3.0-or-later
// Stereo WAV output (32-bit float, 16- and 24-bit PCM), written as a pending file: the target
// appears only when commit() succeeds. The writer is our own so that every platform writes the
// same bytes and reports the same errors; its PCM conversion is libsndfile's (rounded to 32 bits,
// then the top bits kept), which the tests check against libsndfile itself.
#pragma once

#include "PendingFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Steinberg::Vst::Tarvik::Render {

class WavWriter
{
public:
    enum class Format
    {
        Float32,
        Pcm16,
        Pcm24
    };

    /** Bytes per sample frame of a stereo file in this format. */
    static int frameBytes(Format format);
    /** The most frames a WAV file (32-bit sizes) can hold in this format. */
    static int64_t maxFrames(Format format);

    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool open(const std::string& path, Format format, int sampleRate, std::string& error);
    /** Scales every sample written from now on (1 by default, which leaves them untouched). */
    void setGain(float factor) { gain = factor; }
    /** Appends frames, scaled by the gain; PCM formats clip samples outside -1..1 instead of
        wrapping them. False when the file could not take them (lastError says why). */
    bool write(const float* left, const float* right, int32_t frames);
    /** Finishes the file and puts it under its name. */
    bool commit(std::string& error);
    /** Drops what was written. */
    void discard();

    int64_t framesWritten() const { return frames; }
    /** Why the last write failed: the system's reason ("No space left on device"). Kept after
        discard. */
    const std::string& lastError() const { return failure; }
    /** Samples that the PCM formats clipped to -1..1 since open (always 0 for float). */
    int64_t clippedSamples() const { return clipped; }
    /** The largest magnitude written since open, after the gain. */
    float peakLevel() const { return peak; }

private:
    bool close(std::string& reason);
    bool writeBytes(const void* data, size_t size);
    bool writeHeader();

    PendingFile pending;
    int file = -1;
    Format format = Format::Float32;
    int sampleRate = 0;
    std::vector<unsigned char> encoded;
    int64_t frames = 0;
    float gain = 1.0f;
    bool clips = false;
    int64_t clipped = 0;
    float peak = 0.0f;
    std::string failure;
};

} // namespace Steinberg::Vst::Tarvik::Render
