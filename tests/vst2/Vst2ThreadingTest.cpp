// SPDX-License-Identifier: GPL-3.0-or-later
// setParameter from a second thread while the audio thread renders and takes MIDI program
// changes, and a UI thread that follows them: the thread sanitizer build shows the handovers
// race-free; every build checks that the last values arrive. The instrument is linked in, so
// that the sanitizer sees all of it.
#include "LinkedVst2Effect.h"
#include "StateChunk.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst::Tarvik;

TEST(Vst2Threading, SetParameterAndProgramChangesFromOtherThreadsWhileRendering)
{
    std::unique_ptr<Vst2Test::Vst2Instance> instance = Vst2Test::startedLinkedEffect(48000.0f, 128);
    ASSERT_NE(instance, nullptr);
    AEffect* effect = instance->effect;
    const auto dispatch = [&instance](int opcode, VstIntPtr value = 0, void* ptr = nullptr) {
        return instance->dispatch(opcode, 0, value, ptr);
    };

    VstMidiEvent chord[2] = {};
    char list[sizeof(VstEvents) + 2 * sizeof(VstEvent*)] = {};
    auto* events = reinterpret_cast<VstEvents*>(list);
    events->numEvents = 2;
    for (int i = 0; i < 2; ++i)
    {
        chord[i].type = kVstMidiType;
        chord[i].byteSize = sizeof chord[i];
        chord[i].midiData[0] = 0x90;
        chord[i].midiData[1] = static_cast<unsigned char>(48 + 7 * i);
        chord[i].midiData[2] = 100;
        events->events[i] = reinterpret_cast<VstEvent*>(&chord[i]);
    }
    dispatch(effProcessEvents, 0, events);

    // Automation runs for as long as the audio thread renders, then sets its last values.
    const int count = effect->numParams;
    auto finalValue = [](int index) { return static_cast<float>(index % 7) / 7.0f; };
    std::atomic<bool> rendering{true};
    std::thread automation([&] {
        for (int round = 0; rendering.load(); ++round)
        {
            for (int index = 0; index < count; ++index)
                effect->setParameter(effect, index, std::fmod(0.37f * round, 1.0f));
        }
        for (int index = 0; index < count; ++index)
            effect->setParameter(effect, index, finalValue(index));
    });
    // The host's UI thread follows the programs the audio thread's MIDI chooses.
    std::thread ui([&] {
        char name[32] = {};
        while (rendering.load())
        {
            dispatch(effEditIdle);
            dispatch(effGetProgram);
            dispatch(effGetProgramName, 0, name);
        }
    });
    VstMidiEvent programChange{};
    programChange.type = kVstMidiType;
    programChange.byteSize = sizeof programChange;
    programChange.midiData[0] = 0xC0;
    char changeList[sizeof(VstEvents) + sizeof(VstEvent*)] = {};
    auto* changes = reinterpret_cast<VstEvents*>(changeList);
    changes->numEvents = 1;
    changes->events[0] = reinterpret_cast<VstEvent*>(&programChange);
    std::vector<float> left(128), right(128);
    float* outputs[2] = {left.data(), right.data()};
    bool finite = true;
    for (int block = 0; block < 400; ++block)
    {
        if (block % 10 == 0)
        {
            programChange.midiData[1] = static_cast<unsigned char>(block / 10);
            dispatch(effProcessEvents, 0, changes);
        }
        effect->processReplacing(effect, nullptr, outputs, 128);
        for (float s : left)
            finite = finite && std::isfinite(s);
    }
    rendering = false;
    automation.join();
    ui.join();
    EXPECT_TRUE(finite);
    for (int index = 0; index < count; ++index)
        EXPECT_EQ(effect->getParameter(effect, index), finalValue(index)) << index;

    // The controller, which belongs to the UI thread, catches up at the host's editor idle.
    dispatch(effEditIdle);
    Steinberg::Vst::IEditController* controller =
        Vst2Test::linkedInstance(*instance).editController();
    for (int index = 0; index < count; ++index)
    {
        Steinberg::Vst::ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(index, info), kResultOk);
        EXPECT_EQ(controller->getParamNormalized(info.id), finalValue(index)) << index;
    }

    // The processor has them too once the next block has run: its saved values say so.
    effect->processReplacing(effect, nullptr, outputs, 128);
    void* data = nullptr;
    const VstIntPtr size = dispatch(effGetChunk, 0, &data);
    StateChunk chunk;
    ASSERT_TRUE(chunk.read(data, static_cast<size_t>(size)));
    for (int index = 0; index < 24; ++index)
    {
        double stored = 0.0;
        std::memcpy(&stored, chunk.processorState.data() + 4 + 8 * index, sizeof stored);
        EXPECT_EQ(stored, static_cast<double>(finalValue(index))) << index;
    }
}

} // namespace
