// SPDX-License-Identifier: GPL-3.0-or-later
// Edits made in the editor (the controller's begin, perform and end) reach the VST 2 host for
// recording and the processor for the sound, by the parameter's index.
#include "LinkedVst2Effect.h"
#include "StateChunk.h"

#include "public.sdk/source/vst/vsteditcontroller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

struct Call
{
    int opcode;
    int index;
    float value;
};
std::vector<Call> calls;

VstIntPtr VSTCALLBACK recordingHost(AEffect*, int opcode, int index, VstIntPtr, void*, float opt)
{
    if (opcode == audioMasterVersion) return 2400;
    calls.push_back({opcode, index, opt});
    return 0;
}

TEST(Vst2Edits, EditorGesturesReachHostAndProcessor)
{
    std::unique_ptr<Vst2Test::Vst2Instance> instance = Vst2Test::linkedEffect(recordingHost);
    ASSERT_NE(instance, nullptr);
    AEffect* effect = instance->effect;
    instance->dispatch(effMainsChanged, 0, 1);

    // The editor's side: the controller's component handler, as the editor runtime uses it.
    auto* controller =
        static_cast<EditController*>(Vst2Test::linkedInstance(*instance).editController());
    IComponentHandler* handler = controller->getComponentHandler();
    ASSERT_NE(handler, nullptr);
    constexpr int kVcfFreq = 6;
    calls.clear();
    EXPECT_EQ(handler->beginEdit(kVcfFreq), kResultOk);
    EXPECT_EQ(handler->performEdit(kVcfFreq, 0.8), kResultOk);
    EXPECT_EQ(handler->endEdit(kVcfFreq), kResultOk);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].opcode, audioMasterBeginEdit);
    EXPECT_EQ(calls[1].opcode, audioMasterAutomate);
    EXPECT_EQ(calls[1].value, 0.8f);
    EXPECT_EQ(calls[2].opcode, audioMasterEndEdit);
    for (const Call& call : calls)
        EXPECT_EQ(call.index, kVcfFreq); // IDs 0..23 are also their indexes
    EXPECT_EQ(effect->getParameter(effect, kVcfFreq), 0.8f);

    // Unknown parameters and values that are no numbers go nowhere.
    calls.clear();
    EXPECT_NE(handler->performEdit(0x7FFF0000, 0.5), kResultOk);
    EXPECT_NE(handler->performEdit(kVcfFreq, std::nan("")), kResultOk);
    EXPECT_TRUE(calls.empty());

    // The processor renders with it after the next block.
    std::vector<float> left(64), right(64);
    float* outputs[2] = {left.data(), right.data()};
    effect->processReplacing(effect, nullptr, outputs, 64);
    instance->dispatch(effMainsChanged, 0, 0);
    void* data = nullptr;
    const VstIntPtr size = instance->dispatch(effGetChunk, 0, 0, &data);
    StateChunk chunk;
    ASSERT_TRUE(chunk.read(data, static_cast<size_t>(size)));
    double stored = 0.0;
    std::memcpy(&stored, chunk.processorState.data() + 4 + 8 * kVcfFreq, sizeof stored);
    EXPECT_EQ(stored, 0.8);
}

} // namespace
