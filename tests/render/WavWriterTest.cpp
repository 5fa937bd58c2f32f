// SPDX-License-Identifier: GPL-3.0-or-later
#include "WavWriter.h"
#include "RenderRun.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
