// SPDX-License-Identifier: GPL-3.0-or-later
// How the controller follows the processor: its state stream (intact, short, failing, damaged)
// and its "activated" message; and the generic frame's optional bypass parameter.
#include "BraskController.h"
#include "TestSupport.h"

#include "pluginterfaces/vst/ivstmessage.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using BraskTest::ascii;
using BraskTest::ScriptedStream;
using BraskTest::StateBytes;

namespace {

constexpr ParamID kPerformanceIds[] = {0x6D6F6477, 0x70697462, 0x62727468,
                                       0x63743033, 0x65787072, 0x61667474};
constexpr double kInf = std::numeric_limits<double>::infinity();

/** A stored value for each sound parameter, distinct from every default. */
double storedValue(int32 id)
{
    return 0.01 + id * 0.04;
}

StateBytes processorState(int32 count, int32 values)
{
    StateBytes state;
    state.int32LE(count);
    for (int32 i = 0; i < values; ++i)
        state.doubleLE(storedValue(i));
    return state;
}

class ComponentState : public ::testing::Test
{
protected:
    void SetUp() override
    {
        controller = owned(new BraskController());
        ASSERT_EQ(controller->initialize(nullptr), kResultOk);
        // Performance controllers away from their defaults, to see that the state leaves them.
        for (ParamID id : kPerformanceIds)
            controller->setParamNormalized(id, 0.3);
    }
    void TearDown() override { controller->terminate(); }

    tresult apply(const StateBytes& state, size_t failAfter = SIZE_MAX)
    {
        ScriptedStream stream(state.bytes, failAfter);
        const tresult result = controller->setComponentState(&stream);
        reads = stream.reads;
        return result;
    }

    double defaultOf(int32 id)
    {
        ParameterInfo info{};
        controller->getParameterInfo(id, info); // the sound parameters' indexes equal their IDs
        return info.defaultNormalizedValue;
    }

    /** Parameters below `set` hold the stored values, the others their defaults. */
    void expectSetUpTo(int32 set)
    {
        for (int32 id = 0; id < 24; ++id)
            EXPECT_DOUBLE_EQ(controller->getParamNormalized(id),
                             id < set ? storedValue(id) : defaultOf(id))
                << "parameter " << id;
        for (ParamID id : kPerformanceIds)
            EXPECT_DOUBLE_EQ(controller->getParamNormalized(id), 0.3) << id;
    }

    IPtr<BraskController> controller;
    long long reads = 0;
};

TEST_F(ComponentState, AnIntactStreamSetsTheSoundParametersOnly)
{
    EXPECT_EQ(apply(processorState(24, 24).int32LE(1)), kResultOk);
    expectSetUpTo(24);
    EXPECT_EQ(reads, 26);
}

TEST_F(ComponentState, AShortStreamSetsWhatItHolds)
{
    EXPECT_EQ(apply(processorState(24, 10)), kResultOk);
    expectSetUpTo(10);
}

TEST_F(ComponentState, AStreamThatEndsInsideAValueStopsBeforeIt)
{
    StateBytes state = processorState(24, 10);
    state.bytes.resize(state.bytes.size() + 5, 0x3F);
    EXPECT_EQ(apply(state), kResultOk);
    expectSetUpTo(10);
}

TEST_F(ComponentState, AFailingStreamSetsWhatWasReadBeforeTheFailure)
{
    EXPECT_EQ(apply(processorState(24, 24).int32LE(0), 4 + 10 * 8), kResultOk);
    expectSetUpTo(10);
    EXPECT_EQ(apply(StateBytes().int32LE(24), 2), kResultOk);
    expectSetUpTo(10);
}

TEST_F(ComponentState, AHugeCountStopsAtTheEndOfTheStream)
{
    EXPECT_EQ(apply(processorState(std::numeric_limits<int32>::max(), 24).int32LE(0)), kResultOk);
    expectSetUpTo(24);
    EXPECT_LE(reads, 27);
}

TEST_F(ComponentState, CountsThatAreNotTheProcessorsAreTakenAsTheyCome)
{
    // More values than parameters: IDs 24 and up do not exist and are passed over.
    EXPECT_EQ(apply(processorState(40, 40).int32LE(0)), kResultOk);
    expectSetUpTo(24);
    EXPECT_EQ(reads, 42);

    controller->terminate();
    ASSERT_EQ(controller->initialize(nullptr), kResultOk);
    for (ParamID id : kPerformanceIds)
        controller->setParamNormalized(id, 0.3);
    EXPECT_EQ(apply(processorState(5, 24)), kResultOk);
    expectSetUpTo(5);
    EXPECT_EQ(apply(processorState(-3, 24)), kResultOk);
    expectSetUpTo(5);
}

TEST_F(ComponentState, ValuesThatAreNoNumbersAreSkippedAndOthersClamped)
{
    StateBytes state;
    state.int32LE(5)
        .doubleLE(std::numeric_limits<double>::quiet_NaN())
        .doubleLE(kInf)
        .doubleLE(-kInf)
        .doubleLE(1.5)
        .doubleLE(-0.5)
        .int32LE(0);
    EXPECT_EQ(apply(state), kResultOk);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(0), defaultOf(0));
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(1), defaultOf(1));
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(2), defaultOf(2));
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(3), 1.0);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(4), 0.0);
}

TEST_F(ComponentState, EmptyAndMissingStreamsChangeNothing)
{
    EXPECT_EQ(apply(StateBytes()), kResultOk);
    EXPECT_EQ(apply(StateBytes().int32LE(24), 0), kResultOk);
    EXPECT_EQ(controller->setComponentState(nullptr), kResultOk);
    expectSetUpTo(0);
}

IPtr<HostMessage> message(const char* id)
{
    IPtr<HostMessage> result = owned(new HostMessage());
    result->setMessageID(id);
    return result;
}

TEST(ProcessorMessages, ActivatedCarriesTheSampleRate)
{
    IPtr<BraskController> controller = owned(new BraskController());
    EXPECT_EQ(controller->getProcessorSampleRate(), 44100.0);

    IPtr<HostMessage> activated = message("activated");
    activated->getAttributes()->setFloat("SampleRate", 48000.0);
    EXPECT_EQ(controller->notify(activated), kResultOk);
    EXPECT_EQ(controller->getProcessorSampleRate(), 48000.0);

    // Without the attribute the rate stays.
    EXPECT_EQ(controller->notify(message("activated")), kResultOk);
    EXPECT_EQ(controller->getProcessorSampleRate(), 48000.0);

    IPtr<HostMessage> wrongCase = message("Activated");
    wrongCase->getAttributes()->setFloat("SampleRate", 96000.0);
    EXPECT_EQ(controller->notify(wrongCase), kResultFalse);
    EXPECT_EQ(controller->notify(message("")), kResultFalse);
    EXPECT_NE(controller->notify(nullptr), kResultOk);
    EXPECT_EQ(controller->getProcessorSampleRate(), 48000.0);

    IPtr<HostMessage> text = message("TextMessage");
    text->getAttributes()->setString("Text", STR16("hello"));
    EXPECT_EQ(controller->notify(text), kResultOk);
}

/** A message as a careless host might send it: without an attribute list. */
class BareMessage : public IMessage
{
public:
    explicit BareMessage(const char* id) : id(id) {}
    virtual ~BareMessage() = default;
    FIDString PLUGIN_API getMessageID() SMTG_OVERRIDE { return id; }
    void PLUGIN_API setMessageID(FIDString) SMTG_OVERRIDE {}
    IAttributeList* PLUGIN_API getAttributes() SMTG_OVERRIDE { return nullptr; }
    tresult PLUGIN_API queryInterface(const TUID, void** obj) SMTG_OVERRIDE
    {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

private:
    const char* id;
};

TEST(ProcessorMessages, MessagesWithoutAttributesAreAnsweredSafely)
{
    IPtr<BraskController> controller = owned(new BraskController());
    BareMessage activated("activated");
    EXPECT_EQ(controller->notify(&activated), kResultOk);
    EXPECT_EQ(controller->getProcessorSampleRate(), 44100.0);
    BareMessage text("TextMessage");
    EXPECT_EQ(controller->notify(&text), kResultFalse);
    BareMessage unnamed(nullptr);
    EXPECT_EQ(controller->notify(&unnamed), kResultFalse);
}

/** The generic frame with its bypass switch on, and nothing else. */
class ControllerWithBypass : public BaseController
{
public:
    ControllerWithBypass() { addBypassParameter = true; }
};

TEST(BypassParameter, IsPublishedOnRequestAndFollowsTheStateWord)
{
    IPtr<ControllerWithBypass> controller = owned(new ControllerWithBypass());
    ASSERT_EQ(controller->initialize(nullptr), kResultOk);
    ASSERT_EQ(controller->getParameterCount(), 1);
    ParameterInfo info{};
    ASSERT_EQ(controller->getParameterInfo(0, info), kResultOk);
    EXPECT_EQ(info.id, 0x62706173u);
    EXPECT_EQ(ascii(info.title), "Bypass");
    EXPECT_EQ(ascii(info.units), "");
    EXPECT_EQ(info.stepCount, 1);
    EXPECT_EQ(info.defaultNormalizedValue, 0.0);
    EXPECT_EQ(info.flags, 0x10001);
    EXPECT_EQ(info.unitId, 0);
    String128 text{};
    controller->getParamStringByValue(info.id, 0.0, text);
    EXPECT_EQ(ascii(text), "off");
    controller->getParamStringByValue(info.id, 1.0, text);
    EXPECT_EQ(ascii(text), "on");

    ScriptedStream on(StateBytes().int32LE(0).int32LE(7).bytes);
    EXPECT_EQ(controller->setComponentState(&on), kResultOk);
    EXPECT_EQ(controller->getParamNormalized(info.id), 1.0);
    ScriptedStream off(StateBytes().int32LE(0).int32LE(0).bytes);
    EXPECT_EQ(controller->setComponentState(&off), kResultOk);
    EXPECT_EQ(controller->getParamNormalized(info.id), 0.0);
    // A bypass word that cannot be read leaves the switch as it is.
    controller->setParamNormalized(info.id, 1.0);
    ScriptedStream shortWord(StateBytes().int32LE(0).bytes);
    EXPECT_EQ(controller->setComponentState(&shortWord), kResultOk);
    EXPECT_EQ(controller->getParamNormalized(info.id), 1.0);
    controller->terminate();
}

TEST(ControllerInterfaces, AnswerEveryInterfaceOfTheController)
{
    IPtr<BraskController> controller = owned(new BraskController());
    FUnknown* unknown = controller->unknownCast();
    for (const TUID* iid :
         {&IMidiMapping::iid.toTUID(), &IUnitInfo::iid.toTUID(), &IEditController::iid.toTUID(),
          &IEditController2::iid.toTUID(), &IPluginBase::iid.toTUID(),
          &IConnectionPoint::iid.toTUID(), &FUnknown::iid.toTUID(), &IDependent::iid.toTUID()})
    {
        void* object = nullptr;
        EXPECT_EQ(unknown->queryInterface(*iid, &object), kResultOk);
        ASSERT_NE(object, nullptr);
        static_cast<FUnknown*>(object)->release();
    }
    // The interfaces lead to the same object.
    FUnknownPtr<IMidiMapping> mapping(unknown);
    FUnknownPtr<IEditController> edit(mapping);
    EXPECT_EQ(static_cast<IEditController*>(controller.get()), edit.getInterface());

    void* object = &object;
    EXPECT_EQ(unknown->queryInterface(IBStream::iid, &object), kNoInterface);
    EXPECT_EQ(object, nullptr);
}

} // namespace
