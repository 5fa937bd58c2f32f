// SPDX-License-Identifier: GPL-3.0-or-later
// The generic processing frame, driven through a processor that renders a known signal.
#include "BaseProcessor.h"
#include "EventList.h"
#include "ParameterChanges.h"
#include "ProcessBuffers.h"

#include "public.sdk/source/common/memorystream.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

// Renders sample i of every block as `level` (left) and -`level` (right), and records what the
// frame handed it.
class SignalProcessor : public BaseProcessor
{
public:
    SignalProcessor() { allocParameters(4); }

    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE
    {
        const tresult result = AudioEffect::initialize(context);
        if (result == kResultOk)
        {
            addEventInput(STR16("Events"), 1);
            addAudioOutput(STR16("Out"), SpeakerArr::kStereo);
        }
        return result;
    }

    float level = 0.5f;
    bool loudBetweenTenths = false; // loud samples only where silence detection does not look
    int recalcCount = 0;
    int audioCalls = 0;
    std::vector<int32> renderedSizes;
    std::vector<std::vector<int32>> eventOffsetsPerCall;
    std::vector<int32> pendingOffsets;
    std::vector<std::pair<ParamID, ParamValue>> params;
    std::vector<bool> notRendered; // the deferred flag of each eventsNotRendered call

    using BaseProcessor::bypass;
    using BaseProcessor::bypassFade;
    using BaseProcessor::paramValues;

protected:
    void processAudio(ProcessData& data) SMTG_OVERRIDE
    {
        ++audioCalls;
        renderedSizes.push_back(data.numSamples);
        eventOffsetsPerCall.push_back(pendingOffsets);
        for (int32 i = 0; i < data.numSamples; ++i)
        {
            const float value = loudBetweenTenths ? (i % 10 == 0 ? 0.0f : 1.0f) : level;
            data.outputs[0].channelBuffers32[0][i] = value;
            data.outputs[0].channelBuffers32[1][i] = -value;
        }
    }
    void processEvents(IEventList* events) SMTG_OVERRIDE
    {
        pendingOffsets.clear();
        if (!events) return;
        for (int32 i = 0; i < events->getEventCount(); ++i)
        {
            Event e{};
            if (events->getEvent(i, e) == kResultOk) pendingOffsets.push_back(e.sampleOffset);
        }
    }
    void eventsNotRendered(bool deferred) SMTG_OVERRIDE { notRendered.push_back(deferred); }
    void recalc() SMTG_OVERRIDE { ++recalcCount; }
    void setParameter(ParamID id, ParamValue value, int32 offset) SMTG_OVERRIDE
    {
        params.emplace_back(id, value);
        BaseProcessor::setParameter(id, value, offset);
    }
};

class FrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        processor = new SignalProcessor();
        ASSERT_EQ(processor->initialize(nullptr), kResultOk);
        processor->activateBus(kAudio, kOutput, 0, true);
        setup(64);
    }
    void TearDown() override
    {
        processor->terminate();
        processor->release();
    }
    void setup(int32 maxBlock)
    {
        ProcessSetup s{kRealtime, kSample32, maxBlock, 48000.0};
        ASSERT_EQ(processor->setupProcessing(s), kResultOk);
    }
    ProcessData& block(int32 n, float previous = 0.25f)
    {
        buffers.fill(previous);
        return buffers.prepare(n, &changes, &events);
    }
    void setBypass(double value)
    {
        changes.clear();
        changes.add(kBypassParamId, 0, value);
    }

    SignalProcessor* processor = nullptr;
    Host::ProcessBuffers buffers{4096};
    Hosting::ParameterChanges changes;
    Hosting::EventList events;
};

TEST_F(FrameTest, LastPointOfAQueueWinsAndRecalcRunsOncePerBlock)
{
    changes.add(1, 0, 0.2);
    changes.add(1, 10, 0.8);
    changes.add(2, 5, 0.4);
    processor->process(block(16));
    EXPECT_EQ(processor->paramValues[1], 0.8);
    EXPECT_EQ(processor->paramValues[2], 0.4);
    EXPECT_EQ(processor->recalcCount, 1);

    // IDs beyond the value array reach setParameter but store nothing.
    changes.clear();
    changes.add(7, 0, 0.9);
    processor->process(block(16));
    EXPECT_EQ(processor->recalcCount, 2);
    EXPECT_EQ(processor->params.back().first, 7u);

    // No change list, or an empty one, leaves recalc alone.
    changes.clear();
    processor->process(block(16));
    processor->process(buffers.prepare(16, nullptr, nullptr));
    EXPECT_EQ(processor->recalcCount, 2);
}

TEST_F(FrameTest, ZeroSampleBlockAppliesChangesAndEventsWithoutRendering)
{
    changes.add(0, 0, 0.6);
    events.addNoteOn(0, 60, 1.0f);
    ProcessData& data = block(0);
    data.outputs[0].silenceFlags = 0x5;
    processor->process(data);
    EXPECT_EQ(processor->paramValues[0], 0.6);
    EXPECT_EQ(processor->recalcCount, 1);
    EXPECT_EQ(processor->pendingOffsets.size(), 1u);
    EXPECT_EQ(processor->audioCalls, 0);
    EXPECT_EQ(data.outputs[0].silenceFlags, 0x5u);
}

TEST_F(FrameTest, BadQueueValuesAreIgnoredOrClamped)
{
    processor->paramValues[0] = 0.3;
    changes.add(0, 0, std::numeric_limits<double>::quiet_NaN());
    changes.add(1, 0, 1.7);
    changes.add(2, 0, -0.4);
    processor->process(block(8));
    EXPECT_EQ(processor->paramValues[0], 0.3);
    EXPECT_EQ(processor->paramValues[1], 1.0);
    EXPECT_EQ(processor->paramValues[2], 0.0);

    // A NaN bypass value is ignored too.
    setBypass(std::numeric_limits<double>::quiet_NaN());
    processor->process(block(8));
    EXPECT_FALSE(processor->bypass);
}

// A queue that claims points but has none, and a null queue, are skipped.
class OddChanges : public IParameterChanges, public IParamValueQueue
{
public:
    int32 PLUGIN_API getParameterCount() SMTG_OVERRIDE { return 2; }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) SMTG_OVERRIDE
    {
        return index == 0 ? nullptr : static_cast<IParamValueQueue*>(this);
    }
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID&, int32&) SMTG_OVERRIDE
    {
        return nullptr;
    }
    ParamID PLUGIN_API getParameterId() SMTG_OVERRIDE { return 0; }
    int32 PLUGIN_API getPointCount() SMTG_OVERRIDE { return 0; }
    tresult PLUGIN_API getPoint(int32, int32&, ParamValue&) SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API addPoint(int32, ParamValue, int32&) SMTG_OVERRIDE { return kResultFalse; }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) SMTG_OVERRIDE
    {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }
};

TEST_F(FrameTest, QueuesWithoutPointsAndNullQueuesAreSkipped)
{
    OddChanges odd;
    ProcessData& data = block(8);
    data.inputParameterChanges = static_cast<IParameterChanges*>(&odd);
    processor->process(data);
    EXPECT_TRUE(processor->params.empty());
    EXPECT_EQ(processor->recalcCount, 1); // a list with queues still counts as a change
}

TEST_F(FrameTest, BypassSwitchedOnFadesTheRenderedSignalOut)
{
    const int32 n = 16;
    setBypass(1.0);
    ProcessData& data = block(n, 0.25f);
    processor->process(data);
    const float step = 1.0f / n;
    for (int32 i = 0; i < n; ++i)
    {
        const float rising = static_cast<float>(i) * step;
        const float falling = static_cast<float>(n - i) * step;
        EXPECT_EQ(buffers.channel(0)[i], falling * 0.5f + rising * 0.25f) << i;
        EXPECT_EQ(buffers.channel(1)[i], falling * -0.5f + rising * 0.25f) << i;
    }
    EXPECT_EQ(buffers.channel(0)[0], 0.5f);
    EXPECT_EQ(buffers.silenceFlags(), 0u);

    // The block after is pass-through: zeros, flagged silent, nothing rendered.
    changes.clear();
    events.addNoteOn(3, 64, 0.5f);
    processor->process(block(n, 0.7f));
    for (int32 i = 0; i < n; ++i)
        ASSERT_EQ(buffers.channel(0)[i], 0.0f);
    EXPECT_EQ(buffers.silenceFlags(), 3u);
    EXPECT_EQ(processor->audioCalls, 1);
    EXPECT_EQ(processor->pendingOffsets.size(), 1u); // events still reach the processor
}

TEST_F(FrameTest, BypassSwitchedOffFadesTheRenderedSignalIn)
{
    setBypass(0.5); // exactly 0.5 counts as on
    processor->process(block(8));
    ASSERT_TRUE(processor->bypass);

    const int32 n = 10;
    setBypass(0.49);
    processor->process(block(n, 0.25f));
    const float step = 1.0f / n;
    for (int32 i = 0; i < n; ++i)
    {
        const float rising = static_cast<float>(i) * step;
        const float falling = static_cast<float>(n - i) * step;
        EXPECT_EQ(buffers.channel(0)[i], rising * 0.5f + falling * 0.25f) << i;
    }
    EXPECT_EQ(buffers.channel(0)[0], 0.25f);

    // Normal rendering afterwards; repeating the current state arms nothing.
    setBypass(0.0);
    processor->process(block(n));
    EXPECT_EQ(processor->bypassFade, 0);
    EXPECT_EQ(buffers.channel(0)[0], 0.5f);
}

TEST_F(FrameTest, CrossfadeOfABlockLargerThanTheFadeBuffersIsRenderedInPieces)
{
    setup(16);
    const int32 n = 40; // the host sends more than it announced
    setBypass(1.0);
    events.addNoteOn(-3, 60, 1.0f);
    events.addNoteOn(5, 61, 1.0f);
    events.addNoteOn(20, 62, 1.0f);
    events.addNoteOn(39, 63, 1.0f);
    processor->process(block(n, 0.25f));

    EXPECT_EQ(processor->renderedSizes, (std::vector<int32>{16, 16, 8}));
    // Each piece sees its own events, relative to its start.
    EXPECT_EQ(processor->eventOffsetsPerCall[0], (std::vector<int32>{0, 5}));
    EXPECT_EQ(processor->eventOffsetsPerCall[1], (std::vector<int32>{4}));
    EXPECT_EQ(processor->eventOffsetsPerCall[2], (std::vector<int32>{7}));

    const float step = 1.0f / n;
    for (int32 i = 0; i < n; ++i)
    {
        const float rising = static_cast<float>(i) * step;
        const float falling = static_cast<float>(n - i) * step;
        EXPECT_EQ(buffers.channel(0)[i], falling * 0.5f + rising * 0.25f) << i;
    }
}

TEST_F(FrameTest, SilenceFlagsLookAtEveryTenthSample)
{
    // An inactive bus gets no flags.
    processor->activateBus(kAudio, kOutput, 0, false);
    processor->level = 0.0f;
    processor->process(block(32));
    EXPECT_EQ(buffers.silenceFlags(), 0u);
    processor->activateBus(kAudio, kOutput, 0, true);

    processor->level = 0.000133f;
    processor->process(block(32));
    EXPECT_EQ(buffers.silenceFlags(), 0u);

    processor->level = 0.000131f;
    processor->process(block(32));
    EXPECT_EQ(buffers.silenceFlags(), 3u);

    // Loud samples between the looked-at ones do not count.
    processor->loudBetweenTenths = true;
    processor->process(block(25));
    EXPECT_EQ(buffers.channel(0)[1], 1.0f);
    EXPECT_EQ(buffers.silenceFlags(), 3u);
}

TEST_F(FrameTest, OutputsThatCannotTakeAudioRenderNothing)
{
    changes.add(0, 0, 0.9);
    events.addNoteOn(0, 60, 1.0f);

    ProcessData data = block(16);
    data.numOutputs = 0;
    processor->process(data);

    data = block(16);
    data.outputs = nullptr;
    processor->process(data);

    AudioBusBuffers mono{};
    float samples[16] = {};
    float* monoChannels[1] = {samples};
    mono.numChannels = 1;
    mono.channelBuffers32 = monoChannels;
    data = block(16);
    data.outputs = &mono;
    processor->process(data);

    float* nullChannels[2] = {samples, nullptr};
    AudioBusBuffers broken{};
    broken.numChannels = 2;
    broken.channelBuffers32 = nullChannels;
    data.outputs = &broken;
    processor->process(data);
    setBypass(1.0);
    data.inputParameterChanges = &changes;
    processor->process(data); // crossfade with a broken bus
    changes.clear();
    processor->process(data); // pass-through with a broken bus

    EXPECT_EQ(processor->audioCalls, 0);
    EXPECT_EQ(processor->paramValues[0], 0.9);
    EXPECT_EQ(processor->pendingOffsets.size(), 1u);
}

TEST_F(FrameTest, SetupIsRefusedForBadRatesBlockSizesAndDoublePrecision)
{
    ProcessSetup zeroRate{kRealtime, kSample32, 256, 0.0};
    ProcessSetup nanRate{kRealtime, kSample32, 256, std::nan("")};
    ProcessSetup noBlock{kRealtime, kSample32, 0, 44100.0};
    ProcessSetup doubles{kRealtime, kSample64, 256, 96000.0};
    for (double absurd : {1e-300, 1e-37, 7999.0, 10.1e6})
    {
        ProcessSetup s{kRealtime, kSample32, 256, absurd};
        EXPECT_EQ(processor->setupProcessing(s), kResultFalse) << absurd;
    }
    ProcessSetup slowest{kRealtime, kSample32, 64, kMinSampleRate};
    EXPECT_EQ(processor->setupProcessing(slowest), kResultOk);
    EXPECT_EQ(processor->setupProcessing(zeroRate), kResultFalse);
    EXPECT_EQ(processor->setupProcessing(nanRate), kResultFalse);
    EXPECT_EQ(processor->setupProcessing(noBlock), kResultFalse);
    EXPECT_EQ(processor->setupProcessing(doubles), kResultFalse);
    EXPECT_EQ(processor->canProcessSampleSize(kSample64), kResultFalse);
    EXPECT_EQ(processor->canProcessSampleSize(kSample32), kResultTrue);

    // The 64-bit refusal still sized the fade buffers: a crossfade of 256 samples fits in one go.
    setBypass(1.0);
    processor->process(block(256));
    EXPECT_EQ(processor->renderedSizes, (std::vector<int32>{256}));
}

TEST_F(FrameTest, StateRoundTripAndDamagedStreams)
{
    processor->paramValues[0] = 0.1;
    processor->paramValues[3] = 0.9;
    setBypass(1.0);
    processor->process(block(4));

    IPtr<MemoryStream> stream = owned(new MemoryStream());
    ASSERT_EQ(processor->getState(stream), kResultOk);
    int64 size = 0;
    stream->tell(&size);
    EXPECT_EQ(size, 4 + 4 * 8 + 4);

    auto* other = new SignalProcessor();
    other->initialize(nullptr);
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    EXPECT_EQ(other->setState(stream), kResultOk);
    EXPECT_EQ(other->paramValues[0], 0.1);
    EXPECT_EQ(other->paramValues[3], 0.9);
    EXPECT_TRUE(other->bypass);
    EXPECT_EQ(other->bypassFade, 0);
    EXPECT_EQ(other->recalcCount, 1);

    // A stream that ends early is refused whole: a damaged preset changes nothing.
    other->paramValues[0] = 0.5;
    other->bypass = false;
    for (int64 size : {int64(1), int64(4), int64(4 + 2 * 8), int64(4 + 4 * 8 + 3)})
    {
        IPtr<MemoryStream> shortStream = owned(new MemoryStream());
        shortStream->write(stream->getData(), static_cast<int32>(size), nullptr);
        shortStream->seek(0, IBStream::kIBSeekSet, nullptr);
        EXPECT_EQ(other->setState(shortStream), kResultFalse) << size;
        EXPECT_EQ(other->paramValues[0], 0.5) << size;
        EXPECT_FALSE(other->bypass) << size;
        EXPECT_EQ(other->recalcCount, 1) << size;
    }

    EXPECT_EQ(other->setState(nullptr), kInvalidArgument);
    other->terminate();
    other->release();
}

/** A state stream as the frame writes it, with any count. */
IPtr<MemoryStream> stateStream(int32 count, const std::vector<double>& values, int32 bypassWord)
{
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    stream->write(&count, 4, nullptr); // the test machine is little-endian
    for (double value : values)
        stream->write(&value, 8, nullptr);
    stream->write(&bypassWord, 4, nullptr);
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    return stream;
}

std::vector<double> savedValues(IComponent* component, bool* bypass = nullptr)
{
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    component->getState(stream);
    const char* data = stream->getData();
    std::vector<double> values(4);
    std::memcpy(values.data(), data + 4, 4 * 8);
    int32 word = 0;
    std::memcpy(&word, data + 4 + 4 * 8, 4);
    if (bypass) *bypass = word != 0;
    return values;
}

TEST_F(FrameTest, StateStreamsOfOtherCountsReadTheirValuesAndFindTheBypassWord)
{
    const double old = 0.5;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        int32 count;
        std::vector<double> values;
        tresult result;
        std::vector<double> expected;
    } cases[] = {
        {4, {0.1, 0.2, 0.3, 0.4}, kResultOk, {0.1, 0.2, 0.3, 0.4}},
        {6, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}, kResultOk, {0.1, 0.2, 0.3, 0.4}}, // a newer version
        {2, {0.1, 0.2}, kResultOk, {0.1, 0.2, old, old}},                     // an older version
        // Values that are no setting keep the previous one.
        {4, {5.0, nan, -0.1, 0.4}, kResultOk, {old, old, old, 0.4}},
        // Refused whole: no values at all, or fewer than the count says.
        {0, {}, kResultFalse, {old, old, old, old}},
        {-1, {0.1, 0.2, 0.3, 0.4}, kResultFalse, {old, old, old, old}},
        {-3, {}, kResultFalse, {old, old, old, old}},
        {6, {0.1, 0.2, 0.3, 0.4, 0.5}, kResultFalse, {old, old, old, old}},
        {1000000, {0.1, 0.2, 0.3, 0.4, 0.5}, kResultFalse, {old, old, old, old}},
    };
    for (const Case& c : cases)
    {
        for (int32 i = 0; i < 4; ++i)
            processor->paramValues[i] = old;
        processor->bypass = false;
        EXPECT_EQ(processor->setState(stateStream(c.count, c.values, 1)), c.result) << c.count;
        bool bypass = false;
        EXPECT_EQ(savedValues(processor, &bypass), c.expected) << c.count;
        EXPECT_EQ(bypass, c.result == kResultOk) << c.count;
    }
}

TEST_F(FrameTest, StateSetWhileActiveIsTakenOverByTheNextBlock)
{
    processor->setActive(true);
    changes.add(0, 0, 0.9);
    processor->process(block(16));
    const int recalcs = processor->recalcCount;

    EXPECT_EQ(processor->setState(stateStream(4, {0.1, 0.2, 0.3, 0.4}, 1)), kResultOk);
    EXPECT_EQ(processor->recalcCount, recalcs); // nothing the audio thread uses was touched
    EXPECT_EQ(processor->paramValues[0], 0.9);
    EXPECT_FALSE(processor->bypass);
    bool bypass = false;
    EXPECT_EQ(savedValues(processor, &bypass), (std::vector<double>{0.1, 0.2, 0.3, 0.4}));
    EXPECT_TRUE(bypass);

    // The next block applies it, then its own changes, with one recalc for both.
    changes.clear();
    changes.add(1, 0, 0.7);
    processor->process(block(0));
    EXPECT_EQ(processor->recalcCount, recalcs + 1);
    EXPECT_EQ(processor->paramValues[0], 0.1);
    EXPECT_EQ(processor->paramValues[1], 0.7);
    EXPECT_TRUE(processor->bypass);
    EXPECT_EQ(processor->bypassFade, 0);
    EXPECT_EQ(savedValues(processor), (std::vector<double>{0.1, 0.7, 0.3, 0.4}));

    // A damaged stream is refused and hands nothing over.
    EXPECT_EQ(processor->setState(stateStream(4, {0.25}, 0)), kResultFalse);
    changes.clear();
    processor->process(block(16));
    EXPECT_EQ(processor->recalcCount, recalcs + 1);
    bypass = false;
    EXPECT_EQ(savedValues(processor, &bypass), (std::vector<double>{0.1, 0.7, 0.3, 0.4}));
    EXPECT_TRUE(bypass);

    // A state the audio thread never took is applied when processing stops; a state with
    // fewer values keeps the rest of the state last set.
    EXPECT_EQ(processor->setState(stateStream(1, {0.6}, 0)), kResultOk);
    EXPECT_EQ(processor->setState(stateStream(1, {0.25}, 0)), kResultOk);
    EXPECT_EQ(processor->setState(stateStream(2, {0.35}, 1)), kResultFalse);
    EXPECT_EQ(savedValues(processor), (std::vector<double>{0.25, 0.7, 0.3, 0.4}));
    const int recalcsBefore = processor->recalcCount;
    processor->setActive(false);
    EXPECT_EQ(processor->recalcCount, recalcsBefore + 1);
    EXPECT_EQ(processor->paramValues[0], 0.25);
    EXPECT_FALSE(processor->bypass);
}

TEST_F(FrameTest, BlocksThatRenderNothingSayWhetherTheirEventsAreDeferred)
{
    struct Step
    {
        int32 samples;
        double bypass; // < 0: no change
        std::vector<bool> notRendered;
    } steps[] = {
        {16, -1, {}},      {0, -1, {true}},  {16, 1.0, {}}, // bypass fades in: rendered
        {16, -1, {false}}, {0, -1, {false}}, {0, 0.0, {true}}, {16, -1, {}}, // the fade out renders
    };
    int index = 0;
    for (const Step& step : steps)
    {
        changes.clear();
        if (step.bypass >= 0) setBypass(step.bypass);
        processor->notRendered.clear();
        processor->process(block(step.samples));
        EXPECT_EQ(processor->notRendered, step.notRendered) << index++;
    }
}

} // namespace
