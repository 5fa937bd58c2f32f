// SPDX-License-Identifier: GPL-3.0-or-later
// What a VST 2 host calls on its audio thread allocates nothing: this executable replaces the
// global allocation functions with counting ones and plays a busy performance through the
// instance's processEvents, setParameter and both process calls.
#include "Vst2Effect.h"
#include "Vst2Entry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

namespace {

bool counting = false;
long allocations = 0;

void* allocate(std::size_t size)
{
    if (counting) ++allocations;
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size)
{
    return allocate(size);
}
void* operator new[](std::size_t size)
{
    return allocate(size);
}
void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst::Tarvik;

VstIntPtr VSTCALLBACK host(AEffect*, int opcode, int, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

TEST(Vst2NoAllocation, AudioThreadCallsAllocateNothing)
{
    Vst2Effect* instance = Vst2Effect::from(createEffectInstance(host));
    ASSERT_NE(instance, nullptr);
    AEffect* effect = instance->effect();
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    effect->dispatcher(effect, effSetBlockSize, 0, 256, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    // Host blocks up to twice the announced size, so that some are rendered in pieces.
    std::vector<float> left(512), right(512);
    float* outputs[2] = {left.data(), right.data()};
    const int blockSizes[] = {256, 1, 511, 64, 300, 17, 512};
    VstMidiEvent midi[4] = {};
    char list[sizeof(VstEvents) + 4 * sizeof(VstEvent*)] = {};
    auto* events = reinterpret_cast<VstEvents*>(list);
    allocations = 0;
    for (int block = 0; block < 700; ++block)
    {
        const int frames = blockSizes[block % 7];
        const unsigned char messages[4][3] = {
            {0x90, static_cast<unsigned char>(40 + block % 40), 100},
            {0x80, static_cast<unsigned char>(40 + (block + 20) % 40), 0},
            {static_cast<unsigned char>(block % 50 == 25 ? 0xC0 : 0xB0), // a program change
             static_cast<unsigned char>(block % 50 == 0    ? 123
                                        : block % 50 == 25 ? block % 45
                                                           : 1),
             static_cast<unsigned char>(block % 128)},
            {0xE0, 0, static_cast<unsigned char>(block % 128)}};
        events->numEvents = 4;
        for (int i = 0; i < 4; ++i)
        {
            midi[i].type = kVstMidiType;
            midi[i].byteSize = sizeof midi[i];
            midi[i].deltaFrames = (i * frames) / 4;
            for (int b = 0; b < 3; ++b)
                midi[i].midiData[b] = messages[i][b];
            events->events[i] = reinterpret_cast<VstEvent*>(&midi[i]);
        }
        counting = true;
        effect->dispatcher(effect, effProcessEvents, 0, 0, events, 0.0f);
        effect->setParameter(effect, block % effect->numParams, (block % 9) / 8.0f);
        if (block % 3 == 0)
            effect->process(effect, nullptr, outputs, frames);
        else
            effect->processReplacing(effect, nullptr, outputs, frames);
        counting = false;
    }
    EXPECT_EQ(allocations, 0);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

} // namespace
