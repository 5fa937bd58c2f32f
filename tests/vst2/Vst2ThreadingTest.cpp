// SPDX-License-Identifier: GPL-3.0-or-later
// setParameter from a second thread while the audio thread renders: the thread sanitizer build
// shows the handover race-free; every build checks that the last values arrive.
#include "StateChunk.h"
#include "Vst2TestHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

using namespace Vst2Test;

TEST(Vst2Threading, SetParameterFromAnotherThreadWhileRendering)
{
    Vst2Module module;
    ASSERT_TRUE(module.error.empty()) << module.error;
    hostLog().version = 2400;
    AEffect* effect = module.entry("VSTPluginMain")(hostCallback);
    ASSERT_NE(effect, nullptr);
    Vst2Instance instance(effect);
    instance.start(48000.0f, 128);
    instance.sendMidi({{0, {0x90, 48, 100}}, {0, {0x90, 55, 100}}});

    const int count = effect->numParams;
    constexpr int kRounds = 300;
    auto finalValue = [](int index) { return static_cast<float>(index % 7) / 7.0f; };
    std::thread automation([&] {
        for (int round = 0; round < kRounds; ++round)
        {
            for (int index = 0; index < count; ++index)
            {
                const float value =
                    round + 1 == kRounds ? finalValue(index) : std::fmod(0.37f * round, 1.0f);
                effect->setParameter(effect, index, value);
            }
        }
    });
    std::vector<float> left(128), right(128);
    bool finite = true;
    for (int block = 0; block < 400; ++block)
    {
        instance.render(left.data(), right.data(), 128);
        for (float s : left)
            finite = finite && std::isfinite(s);
    }
    automation.join();
    EXPECT_TRUE(finite);
    for (int index = 0; index < count; ++index)
        EXPECT_EQ(effect->getParameter(effect, index), finalValue(index)) << index;

    // The processor has them too once the next block has run: its saved values say so.
    instance.render(left.data(), right.data(), 128);
    Steinberg::Vst::Tarvik::StateChunk chunk;
    const std::vector<unsigned char> bytes = instance.chunk();
    ASSERT_TRUE(chunk.read(bytes.data(), bytes.size()));
    for (int index = 0; index < 24; ++index)
    {
        double stored = 0.0;
        std::memcpy(&stored, chunk.processorState.data() + 4 + 8 * index, sizeof stored);
        EXPECT_EQ(stored, static_cast<double>(finalValue(index))) << index;
    }
}
