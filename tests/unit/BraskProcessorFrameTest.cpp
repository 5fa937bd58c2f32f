// SPDX-License-Identifier: GPL-3.0-or-later
// The processor's framework side: buses, arrangements, defaults, activation message, notify.
#include "BraskCids.h"
#include "BraskProcessorWithUIController.h"
#include "RecordingPeer.h"

#include "base/source/fstring.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

class BraskFrame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor = new BraskProcessorWithUIController();
        ASSERT_EQ(processor->initialize(&host), kResultOk);
        processor->connect(&peer);
    }
    void TearDown() override
    {
        processor->disconnect(&peer);
        processor->terminate();
        processor->release();
    }

    HostApplication host; // not reference counted
    BraskProcessorWithUIController* processor = nullptr;
    TestSupport::RecordingPeer peer;
};

std::string busName(IComponent* component, MediaType type, BusDirection dir)
{
    BusInfo info{};
    if (component->getBusInfo(type, dir, 0, info) != kResultOk) return "?";
    String name(info.name);
    name.toMultiByte(kCP_Utf8);
    return name.text8();
}

TEST_F(BraskFrame, HasOneMidiInputAndOneStereoOutput)
{
    EXPECT_EQ(processor->getBusCount(kEvent, kInput), 1);
    EXPECT_EQ(processor->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(processor->getBusCount(kAudio, kInput), 0);
    EXPECT_EQ(processor->getBusCount(kEvent, kOutput), 0);
    EXPECT_EQ(busName(processor, kEvent, kInput), "MIDI in");
    EXPECT_EQ(busName(processor, kAudio, kOutput), "Stereo Out");

    BusInfo midi{};
    processor->getBusInfo(kEvent, kInput, 0, midi);
    EXPECT_EQ(midi.channelCount, 1);
    EXPECT_EQ(midi.busType, kMain);
    EXPECT_EQ(midi.flags, static_cast<uint32>(BusInfo::kDefaultActive));

    SpeakerArrangement arrangement = 0;
    EXPECT_EQ(processor->getBusArrangement(kOutput, 0, arrangement), kResultTrue);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo);
}

TEST_F(BraskFrame, AcceptsOnlyStereoArrangements)
{
    SpeakerArrangement mono = SpeakerArr::kMono;
    SpeakerArrangement surround = SpeakerArr::k51;
    SpeakerArrangement stereo = SpeakerArr::kStereo;
    EXPECT_EQ(processor->setBusArrangements(nullptr, 0, &mono, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(nullptr, 0, &surround, 1), kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(nullptr, 0, &stereo, 1), kResultTrue);
    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultTrue);
    EXPECT_EQ(processor->setBusArrangements(&mono, 1, &stereo, 1), kResultFalse);

    SpeakerArrangement arrangement = 0;
    processor->getBusArrangement(kOutput, 0, arrangement);
    EXPECT_EQ(arrangement, SpeakerArr::kStereo); // never changed
}

TEST_F(BraskFrame, StartsFromSinglePrecisionDefaults)
{
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    ASSERT_EQ(processor->getState(stream), kResultOk);
    int64 size = 0;
    stream->tell(&size);
    ASSERT_EQ(size, 200);
    const char* bytes = stream->getData();
    int32 count = 0;
    std::memcpy(&count, bytes, 4);
    EXPECT_EQ(count, 24);
    for (uint32 i = 0; i < kBraskParamCount; ++i)
    {
        double value = 0.0;
        std::memcpy(&value, bytes + 4 + 8 * i, 8);
        EXPECT_EQ(value, static_cast<double>(kDefaultParamValues[i])) << i;
    }
    double tune = 0.0;
    std::memcpy(&tune, bytes + 4 + 8, 8);
    EXPECT_NE(tune, 0.37); // stored as the float nearest 0.37
    EXPECT_EQ(tune, static_cast<double>(0.37f));
    int32 bypassWord = -1;
    std::memcpy(&bypassWord, bytes + 196, 4);
    EXPECT_EQ(bypassWord, 0);
}

TEST_F(BraskFrame, ReportsTheControllerWithTheEditor)
{
    TUID cid{};
    ASSERT_EQ(processor->getControllerClassId(cid), kResultOk);
    EXPECT_TRUE(kBraskControllerWithUIUID == FUID::fromTUID(cid));
    EXPECT_FALSE(kBraskControllerUID == FUID::fromTUID(cid));
}

TEST_F(BraskFrame, ActivationTellsTheControllerTheSampleRate)
{
    processor->setActive(true);
    processor->setActive(false);
    ProcessSetup setup{kRealtime, kSample32, 512, 48000.0};
    ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
    processor->setActive(true);
    processor->setActive(false);

    ASSERT_EQ(peer.received.size(), 2u);
    EXPECT_EQ(peer.received[0].id, "activated");
    EXPECT_TRUE(peer.received[0].hasSampleRate);
    EXPECT_EQ(peer.received[0].sampleRate, 44100.0);
    EXPECT_EQ(peer.received[1].sampleRate, 48000.0);

    // A refused setup leaves the rate as it was.
    ProcessSetup doubles{kRealtime, kSample64, 512, 96000.0};
    EXPECT_EQ(processor->setupProcessing(doubles), kResultFalse);
    processor->setActive(true);
    EXPECT_EQ(peer.received.back().sampleRate, 48000.0);
    processor->setActive(false);
}

TEST_F(BraskFrame, NotifyAnswersTextMessagesOnly)
{
    IPtr<HostMessage> text = owned(new HostMessage());
    text->setMessageID("TextMessage");
    text->getAttributes()->setString("Text", STR16("hello"));
    EXPECT_EQ(processor->notify(text), kResultOk);

    IPtr<HostMessage> activated = owned(new HostMessage());
    activated->setMessageID("activated");
    EXPECT_EQ(processor->notify(activated), kResultFalse);
}

TEST_F(BraskFrame, LatencyTailAndProcessingSwitch)
{
    EXPECT_EQ(processor->getLatencySamples(), 0u);
    EXPECT_GT(processor->getTailSamples(), 0u); // the release; its length is tested with the engine
    EXPECT_EQ(processor->setProcessing(true), kNotImplemented);
}

} // namespace
