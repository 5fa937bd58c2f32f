// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavWriter.h"
#include "RenderRun.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {
namespace {

using TestSupport::TempFolder;

TEST(WavWriter, TheFileAppearsOnlyWhenCommitted)
{
    TempFolder folder;
    const std::string target = folder / "out.wav";
    const float left[3] = {0.5f, -0.25f, 0.0f};
    const float right[3] = {0.0f, 0.125f, -1.0f};
    {
        WavWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(target, WavWriter::Format::Float32, 44100, error)) << error;
        ASSERT_TRUE(writer.write(left, right, 3));
        EXPECT_FALSE(TestSupport::exists(target));
        EXPECT_EQ(folder.entries().size(), 1u); // the pending file, under another name
    }
    EXPECT_TRUE(folder.entries().empty()) << "an abandoned render left a file behind";

    WavWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(target, WavWriter::Format::Float32, 44100, error)) << error;
    ASSERT_TRUE(writer.write(left, right, 3));
    ASSERT_TRUE(writer.commit(error)) << error;
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"out.wav"});

    const TestSupport::Audio audio = TestSupport::readWav(target);
    ASSERT_TRUE(audio.read);
    EXPECT_EQ(audio.sampleRate, 44100);
    EXPECT_EQ(audio.channels, 2);
    EXPECT_EQ(audio.samples, (std::vector<float>{0.5f, 0.0f, -0.25f, 0.125f, 0.0f, -1.0f}));
}

TEST(WavWriter, IntegerFormatsClipInsteadOfWrapping)
{
    TempFolder folder;
    for (auto format : {WavWriter::Format::Pcm16, WavWriter::Format::Pcm24})
    {
        const std::string target = folder / "loud.wav";
        const float left[2] = {1.5f, -3.0f};
        const float right[2] = {1.0f, 0.5f};
        WavWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(target, format, 48000, error)) << error;
        ASSERT_TRUE(writer.write(left, right, 2));
        ASSERT_TRUE(writer.commit(error)) << error;

        const TestSupport::Audio audio = TestSupport::readWav(target);
        ASSERT_EQ(audio.frames(), 2u);
        EXPECT_GT(audio.samples[0], 0.99f);
        EXPECT_LT(audio.samples[2], -0.99f);
        EXPECT_GT(audio.samples[1], 0.99f);
        EXPECT_NEAR(audio.samples[3], 0.5f, 1e-4f);
    }
}

TEST(WavWriter, ScalesByTheGainAndCountsWhatThePcmFormatsClip)
{
    TempFolder folder;
    const std::string target = folder / "gain.wav";
    const float left[2] = {0.25f, 0.5f};
    const float right[2] = {-0.75f, 0.4f};
    struct Case
    {
        WavWriter::Format format;
        int64_t clipped;
    };
    for (const Case& c : {Case{WavWriter::Format::Float32, 0}, Case{WavWriter::Format::Pcm16, 1},
                          Case{WavWriter::Format::Pcm24, 1}})
    {
        WavWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(target, c.format, 48000, error)) << error;
        writer.setGain(2.0f);
        ASSERT_TRUE(writer.write(left, right, 2));
        EXPECT_EQ(writer.clippedSamples(), c.clipped) << "full scale itself is no clip";
        EXPECT_EQ(writer.peakLevel(), 1.5f);
        ASSERT_TRUE(writer.commit(error)) << error;
        const TestSupport::Audio audio = TestSupport::readWav(target);
        ASSERT_EQ(audio.frames(), 2u);
        EXPECT_NEAR(audio.samples[0], 0.5f, 1e-4f);
        EXPECT_NEAR(audio.samples[1], c.clipped ? -1.0f : -1.5f, 1e-4f);
    }
}

TEST(WavWriter, WritesTheSameSamplesAsLibsndfile)
{
    // Rounding ties, the smallest steps of each format, full scale and beyond, and a sweep: the
    // PCM conversion must match the standard library's bit for bit.
    std::vector<float> left = {0.5f,
                               -0.5f,
                               1.0f,
                               -1.0f,
                               0.99999f,
                               -0.99999f,
                               1.0f / 65536,
                               -1.0f / 65536,
                               2.5f / 32768,
                               -2.5f / 32768,
                               3.0f,
                               -3.0f,
                               1.0f / 16777216,
                               -1.5f / 8388608,
                               0.0f,
                               -0.0f};
    for (int i = 0; i < 4000; ++i)
        left.push_back(std::sin(static_cast<float>(i) * 0.01f) * (1.2f - i * 0.0003f));
    std::vector<float> right(left.rbegin(), left.rend());
    const auto frames = static_cast<int32_t>(left.size());

    TempFolder folder;
    struct Case
    {
        WavWriter::Format format;
        int subtype;
    };
    for (const Case& c : {Case{WavWriter::Format::Float32, SF_FORMAT_FLOAT},
                          Case{WavWriter::Format::Pcm16, SF_FORMAT_PCM_16},
                          Case{WavWriter::Format::Pcm24, SF_FORMAT_PCM_24}})
    {
        const std::string ours = folder / "ours.wav";
        WavWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(ours, c.format, 44100, error)) << error;
        ASSERT_TRUE(writer.write(left.data(), right.data(), frames));
        ASSERT_TRUE(writer.commit(error)) << error;

        const std::string theirs = folder / "theirs.wav";
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 2;
        info.format = SF_FORMAT_WAV | c.subtype;
        SNDFILE* file = sf_open(theirs.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        std::vector<float> interleaved;
        for (int32_t i = 0; i < frames; ++i)
            interleaved.insert(interleaved.end(), {left[i], right[i]});
        ASSERT_EQ(sf_writef_float(file, interleaved.data(), frames), frames);
        sf_close(file);

        const TestSupport::Audio mine = TestSupport::readWav(ours);
        const TestSupport::Audio reference = TestSupport::readWav(theirs);
        ASSERT_TRUE(mine.read);
        EXPECT_EQ(mine.format, reference.format);
        EXPECT_EQ(mine.sampleRate, 44100);
        EXPECT_TRUE(mine.samples == reference.samples) << "format " << c.subtype;
        // The data chunk is the file's tail in both; libsndfile's float header has more chunks.
        const std::string ourBytes = TestSupport::readText(ours);
        const std::string theirBytes = TestSupport::readText(theirs);
        const size_t dataBytes = static_cast<size_t>(frames) * WavWriter::frameBytes(c.format);
        ASSERT_GE(ourBytes.size(), dataBytes);
        EXPECT_EQ(ourBytes.substr(ourBytes.size() - dataBytes),
                  theirBytes.substr(theirBytes.size() - dataBytes));
    }
}

TEST(WavWriter, ReplacesTheFileALinkPointsToButNothingThatIsNoFile)
{
    TempFolder folder;
    const float samples[1] = {0.5f};
    auto writeTo = [&](const std::string& path, std::string& error) {
        WavWriter writer;
        return writer.open(path, WavWriter::Format::Float32, 44100, error) &&
               writer.write(samples, samples, 1) && writer.commit(error);
    };
    auto isLink = [](const std::string& path) {
        struct stat info
        {};
        return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    };

    // Relative links resolve beside the link, not in the working folder; a link may name a file
    // that does not exist yet, and links may point to links.
    std::ofstream(folder / "old.wav") << "earlier take";
    ASSERT_EQ(symlink("old.wav", (folder / "take.wav").c_str()), 0);
    ASSERT_EQ(symlink("fresh.wav", (folder / "dangling.wav").c_str()), 0);
    ASSERT_EQ(symlink((folder / "take.wav").c_str(), (folder / "chain.wav").c_str()), 0);
    for (const char* name : {"take.wav", "dangling.wav", "chain.wav"})
    {
        std::string error;
        EXPECT_TRUE(writeTo(folder / name, error)) << name << ": " << error;
        EXPECT_TRUE(isLink(folder / name)) << name << " was replaced instead of followed";
    }
    EXPECT_EQ(TestSupport::readWav(folder / "old.wav").frames(), 1u);
    EXPECT_EQ(TestSupport::readWav(folder / "fresh.wav").frames(), 1u);

    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(symlink("/dev/null", (folder / "null.wav").c_str()), 0);
    ASSERT_EQ(symlink("loop.wav", (folder / "loop.wav").c_str()), 0);
    const std::vector<std::string> before = folder.entries();
    for (auto [name, message] : {std::pair{"pipe", "not a regular file"},
                                 {"null.wav", "not a regular file"},
                                 {"loop.wav", "symbolic links"}})
    {
        std::string error;
        EXPECT_FALSE(writeTo(folder / name, error)) << name;
        EXPECT_NE(error.find(message), std::string::npos) << name << ": " << error;
    }
    EXPECT_EQ(folder.entries(), before);
    struct stat info
    {};
    EXPECT_TRUE(stat((folder / "pipe").c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
    EXPECT_TRUE(isLink(folder / "null.wav"));
}

} // namespace
} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
