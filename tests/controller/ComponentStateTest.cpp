// SPDX-License-Identifier: GPL-3.0-or-later
// How the controller follows the processor: its state stream, intact, short or damaged; its
// "activated" message.
#include "BraskController.h"
#include "ComponentHandler.h"
#include "TestSupport.h"

#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using BraskTest::append;
using BraskTest::CountingStream;

namespace {

/** A processor state whose values differ from every default: 0.01, 0.05, 0.09, ... */
std::vector<uint8_t> state(int32 count, int32 values, bool bypassWord = true)
{
    std::vector<uint8_t> bytes;
    append(bytes, count);
    for (int32 i = 0; i < values; ++i)
        append(bytes, 0.01 + i * 0.04);
    if (bypassWord) append(bytes, int32(1));
    return bytes;
}

class ComponentState : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(controller->initialize(nullptr), kResultOk); }
    void TearDown() override { controller->terminate(); }

    /** Applies the stream on a fresh controller and checks its answer; returns how many sound
        parameters took their stored value, checking that the others kept theirs. */
    int32 applied(std::vector<uint8_t> bytes, tresult expected, long long maxReads)
    {
        controller->terminate();
        controller->initialize(nullptr);
        controller->setParamNormalized(0x6D6F6477, 0.3); // 'modw' is not in the state
        CountingStream stream(bytes);
        EXPECT_EQ(controller->setComponentState(&stream), expected);
        EXPECT_LE(stream.reads, maxReads);
        EXPECT_EQ(controller->getParamNormalized(0x6D6F6477), 0.3);
        int32 set = 0;
        for (int32 id = 0; id < 24; ++id)
        {
            ParameterInfo info{};
            controller->getParameterInfo(id, info); // indexes 0..23 hold IDs 0..23
            const double value = controller->getParamNormalized(id);
            if (value == 0.01 + id * 0.04)
            {
                EXPECT_EQ(set++, id) << "parameter " << id << " set out of order";
            }
            else
            {
                EXPECT_EQ(value, info.defaultNormalizedValue) << "parameter " << id;
            }
        }
        return set;
    }

    IPtr<BraskController> controller = owned(new BraskController());
};

TEST_F(ComponentState, TakesAWholeStreamOrNothing)
{
    EXPECT_EQ(applied(state(24, 24), kResultOk, 26), 24);
    // Other counts are taken as they come; IDs from 24 on do not exist.
    EXPECT_EQ(applied(state(5, 5), kResultOk, 7), 5);
    EXPECT_EQ(applied(state(40, 40), kResultOk, 42), 24);
    // Refused, changing nothing: a stream that ends before its bypass word, and counts that
    // announce no values.
    EXPECT_EQ(applied(state(24, 24, false), kResultFalse, 26), 0);
    EXPECT_EQ(applied(state(24, 10, false), kResultFalse, 12), 0);
    auto cutInsideAValue = state(24, 10, false);
    cutInsideAValue.resize(cutInsideAValue.size() + 5, 0x3F);
    EXPECT_EQ(applied(cutInsideAValue, kResultFalse, 12), 0);
    EXPECT_EQ(applied(state(24, 0, false), kResultFalse, 2), 0);
    EXPECT_EQ(applied({}, kResultFalse, 1), 0);
    EXPECT_EQ(applied({0x18}, kResultFalse, 1), 0);
    EXPECT_EQ(applied(state(0, 0), kResultFalse, 2), 0);
    EXPECT_EQ(applied(state(-1, 24), kResultFalse, 2), 0);
    // A damaged count ends with the stream instead of reading on for billions of values.
    EXPECT_EQ(applied(state(std::numeric_limits<int32>::max(), 24), kResultFalse, 27), 0);
    EXPECT_EQ(controller->setComponentState(nullptr), kInvalidArgument);
}

TEST_F(ComponentState, ValuesThatAreNoSettingKeepThePreviousOne)
{
    // The processor's rule: VCF Freq 5.0 neither plays nor shows as 1.0.
    std::vector<uint8_t> bytes;
    append(bytes, int32(6));
    for (double value : {std::nan(""), HUGE_VAL, 1.5, -0.5, 0.25, 5.0})
        append(bytes, value);
    append(bytes, int32(0));
    for (ParamID id = 0; id < 6; ++id)
        controller->setParamNormalized(id, 0.75);
    CountingStream stream(bytes);
    EXPECT_EQ(controller->setComponentState(&stream), kResultOk);
    std::string values;
    for (ParamID id = 0; id < 6; ++id)
        values += std::to_string(controller->getParamNormalized(id)) + " ";
    EXPECT_EQ(values, "0.750000 0.750000 0.750000 0.750000 0.250000 0.750000 ");
}

TEST_F(ComponentState, NeverCallsBackIntoTheHost)
{
    // Hosts hold their own locks while they hand a state over (Ardour's preset loading does), so
    // a call back from inside waits for ever. Hosts read the values again afterwards.
    Host::ComponentHandler handler;
    controller->setComponentHandler(&handler);
    controller->setParamNormalized(2, 0.7);
    for (std::vector<uint8_t> bytes : {state(24, 24), state(24, 3, false), state(3, 3)})
    {
        CountingStream stream(bytes);
        controller->setComponentState(&stream);
    }
    EXPECT_EQ(controller->getParamNormalized(2), 0.01 + 2 * 0.04);
    // Nor do the host's other calls that set values; the product has no preset list ('prst'),
    // whose choice alone would ask the host to re-read them.
    for (int32 index = 0; index < controller->getParameterCount(); ++index)
    {
        ParameterInfo info{};
        controller->getParameterInfo(index, info);
        controller->setParamNormalized(info.id, 0.5);
    }
    EXPECT_EQ(controller->setParamNormalized(0x70727374, 1.0), kResultFalse);
    controller->setKnobMode(kLinearMode);
    EXPECT_EQ(handler.restarts, std::vector<int32>{});
    EXPECT_TRUE(handler.edits.empty());
    controller->setComponentHandler(nullptr);
}

/** A message as a careless host might send it: without an attribute list. */
struct BareMessage : public IMessage
{
    const char* id;
    explicit BareMessage(const char* id) : id(id) {}
    virtual ~BareMessage() = default;
    FIDString PLUGIN_API getMessageID() SMTG_OVERRIDE { return id; }
    void PLUGIN_API setMessageID(FIDString) SMTG_OVERRIDE {}
    IAttributeList* PLUGIN_API getAttributes() SMTG_OVERRIDE { return nullptr; }
    tresult PLUGIN_API queryInterface(const TUID, void**) SMTG_OVERRIDE { return kNoInterface; }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }
};

TEST(ProcessorMessages, ActivatedCarriesTheSampleRate)
{
    auto controller = owned(new BraskController());
    auto message = [](const char* id, double rate) {
        auto result = owned(new HostMessage());
        result->setMessageID(id);
        if (rate > 0) result->getAttributes()->setFloat("SampleRate", rate);
        return result;
    };
    EXPECT_EQ(controller->getProcessorSampleRate(), 44100.0);
    EXPECT_EQ(controller->notify(message("activated", 48000.0)), kResultOk);
    EXPECT_EQ(controller->notify(message("activated", 0)), kResultOk); // no rate: rate stays
    EXPECT_EQ(controller->notify(message("Activated", 96000.0)), kResultFalse);
    EXPECT_NE(controller->notify(nullptr), kResultOk);
    BareMessage bareActivated("activated"), bareText("TextMessage");
    EXPECT_EQ(controller->notify(&bareActivated), kResultOk);
    EXPECT_EQ(controller->notify(&bareText), kResultFalse);
    EXPECT_EQ(controller->getProcessorSampleRate(), 48000.0);
}

} // namespace
