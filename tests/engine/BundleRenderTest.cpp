// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument as a host hears it: the built bundle loaded through the host layer, playing a
// chord, a mono line with glide and controller sweeps, then falling silent.
#include "BraskParameterIds.h"
#include "BuiltBundle.h"
#include "EventList.h"
#include "ParameterChanges.h"
#include "ProcessBuffers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

constexpr double kSampleRate = 48000.0;
constexpr int32 kBlock = 256;
constexpr uint64 kBothChannels = 3;

class BundleRender : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(bundle.start(kSampleRate, kBlock, error)) << error;
        // A short release keeps the tests short.
        changes.add(kEnvRel, 0, 0.3);
    }

    /** One block; returns its peak and checks that every sample is finite and both channels
        carry the same signal. */
    float block()
    {
        ProcessData& data = buffers.prepare(kBlock, &changes, &events);
        EXPECT_EQ(instance->process(data), kResultOk);
        events.clear();
        changes.clear();
        float peak = 0.0f;
        for (int32 i = 0; i < kBlock; ++i)
        {
            const float left = buffers.channel(0)[i];
            EXPECT_TRUE(std::isfinite(left)) << i;
            EXPECT_EQ(left, buffers.channel(1)[i]) << i;
            peak = std::fmax(peak, std::fabs(left));
        }
        return peak;
    }

    /** Renders blocks until both channels are flagged silent and hold zeros; returns how many
        blocks that took, or -1 if it never happened within the limit. */
    int32 blocksUntilSilent(int32 limit)
    {
        for (int32 i = 0; i < limit; ++i)
        {
            const float peak = block();
            if (buffers.silenceFlags() == kBothChannels && peak == 0.0f) return i;
        }
        return -1;
    }

    TestSupport::BuiltBundle bundle;
    std::unique_ptr<Hosting::PluginInstance>& instance = bundle.instance;
    Host::ProcessBuffers buffers{kBlock};
    Hosting::EventList events;
    Hosting::ParameterChanges changes;
};

TEST_F(BundleRender, ChordSoundsAndFallsSilentAfterRelease)
{
    EXPECT_EQ(block(), 0.0f);
    EXPECT_EQ(buffers.silenceFlags(), kBothChannels);

    const int16 chord[] = {48, 55, 60, 64};
    for (int16 note : chord)
        events.addNoteOn(10, note, 0.8f);
    float loudest = 0.0f;
    for (int32 i = 0; i < 200; ++i)
        loudest = std::fmax(loudest, block());
    EXPECT_GT(loudest, 0.05f);
    EXPECT_EQ(buffers.silenceFlags(), 0u);

    for (int16 note : chord)
        events.addNoteOff(0, note);
    EXPECT_GE(blocksUntilSilent(2000), 1);
    // Once silent, it stays silent.
    for (int32 i = 0; i < 10; ++i)
        EXPECT_EQ(block(), 0.0f);
    EXPECT_EQ(buffers.silenceFlags(), kBothChannels);
}

TEST_F(BundleRender, MonoLineWithGlide)
{
    changes.add(kGlide, 0, 1.0); // "Mono-Glide"
    changes.add(kGlideRate, 0, 0.4);
    const int16 line[] = {60, 62, 64, 65, 67, 65, 64, 62};
    int16 held = 0;
    float quietest = 1e9f;
    for (int16 note : line)
    {
        events.addNoteOn(64, note, 0.7f);
        if (held) events.addNoteOff(96, held); // legato: the next note arrives before the release
        held = note;
        for (int32 i = 0; i < 40; ++i)
        {
            const float peak = block();
            // The first note glides in from note 0 (nothing played before) and starts quiet.
            if (note != line[0]) quietest = std::fmin(quietest, peak);
        }
    }
    EXPECT_GT(quietest, 0.01f); // the line never drops out
    events.addNoteOff(0, held);
    EXPECT_GE(blocksUntilSilent(2000), 1);
}

TEST_F(BundleRender, ControllerSweepsKeepTheSoundFinite)
{
    events.addNoteOn(0, 57, 1.0f);
    events.addNoteOn(0, 69, 0.6f);
    const ParamID sweeps[] = {kModWheelId, kPitchBendId, kFilterModUpId, kResonanceCtlId,
                              kAftertouchId};
    for (ParamID id : sweeps)
    {
        for (int32 step = 0; step <= 64; ++step)
        {
            const double value = step <= 32 ? step / 32.0 : (64 - step) / 32.0;
            changes.add(id, 0, value);
            EXPECT_GT(block(), 0.0f);
        }
    }
    // Pitch bend back to the middle, then release.
    changes.add(kPitchBendId, 0, 0.5);
    events.addNoteOff(0, 57);
    events.addNoteOff(0, 69);
    EXPECT_GE(blocksUntilSilent(2000), 1);
}

} // namespace
