// SPDX-License-Identifier: GPL-3.0-or-later
// brask-wav-compare A.wav B.wav [PEAK [RMS]]: whether two renders agree. They must have the same
// rate, channels and length; the largest sample difference must not exceed PEAK (1e-4, the
// golden renders' tolerance) and the RMS of the differences not RMS (1e-5). Exit 0 when they
// agree, 1 when they differ, 2 when a file cannot be read.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Audio
{
    SF_INFO info{};
    std::vector<float> samples;
};

bool read(const char* path, Audio& audio)
{
    SNDFILE* file = sf_open(path, SFM_READ, &audio.info);
    if (!file)
    {
        std::fprintf(stderr, "brask-wav-compare: cannot read %s: %s\n", path, sf_strerror(nullptr));
        return false;
    }
    audio.samples.resize(static_cast<size_t>(audio.info.frames * audio.info.channels));
    const sf_count_t frames = sf_readf_float(file, audio.samples.data(), audio.info.frames);
    sf_close(file);
    if (frames != audio.info.frames)
    {
        std::fprintf(stderr, "brask-wav-compare: %s ends early\n", path);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 5)
    {
        std::fprintf(stderr, "usage: brask-wav-compare A.wav B.wav [PEAK [RMS]]\n");
        return 2;
    }
    const double peakLimit = argc > 3 ? std::atof(argv[3]) : 1e-4;
    const double rmsLimit = argc > 4 ? std::atof(argv[4]) : 1e-5;
    Audio a;
    Audio b;
    if (!read(argv[1], a) || !read(argv[2], b)) return 2;
    if (a.info.samplerate != b.info.samplerate || a.info.channels != b.info.channels ||
        a.info.format != b.info.format || a.info.frames != b.info.frames)
    {
        std::printf("differ in kind: %d Hz, %d channels, format %#x, %lld frames against %d Hz, "
                    "%d channels, format %#x, %lld frames\n",
                    a.info.samplerate, a.info.channels, a.info.format,
                    static_cast<long long>(a.info.frames), b.info.samplerate, b.info.channels,
                    b.info.format, static_cast<long long>(b.info.frames));
        return 1;
    }
    double largest = 0.0;
    double squares = 0.0;
    size_t where = 0;
    for (size_t i = 0; i < a.samples.size(); ++i)
    {
        const double difference = std::fabs(static_cast<double>(a.samples[i]) - b.samples[i]);
        // NaN in either file counts as the largest possible difference.
        if (!(difference <= largest))
        {
            largest = std::isnan(difference) ? INFINITY : difference;
            where = i;
        }
        squares += std::isnan(difference) ? INFINITY : difference * difference;
    }
    const double rms = a.samples.empty() ? 0.0 : std::sqrt(squares / a.samples.size());
    const double seconds =
        static_cast<double>(where / static_cast<size_t>(a.info.channels)) / a.info.samplerate;
    std::printf("%lld frames; largest difference %.3g at %.3f s (limit %.3g), rms %.3g (limit "
                "%.3g)\n",
                static_cast<long long>(a.info.frames), largest, seconds, peakLimit, rms, rmsLimit);
    return largest <= peakLimit && rms <= rmsLimit ? 0 : 1;
}
