// SPDX-License-Identifier: GPL-3.0-or-later
// Instances opened and closed many times over, as hosts do while scanning and loading projects;
// the sanitizer build shows that nothing leaks.
#include "BuiltVst2Module.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Vst2Test;

TEST(Vst2Lifecycle, TwoHundredOpenCloseCycles)
{
    Vst2Module& module = Vst2Module::shared();
    ASSERT_TRUE(module.error.empty()) << module.error;
    EntryPoint entry = module.entry("VSTPluginMain");
    ASSERT_NE(entry, nullptr);
    hostLog().version = 2400;
    std::vector<float> left(128), right(128);
    for (int cycle = 0; cycle < 200; ++cycle)
    {
        AEffect* effect = entry(hostCallback);
        ASSERT_NE(effect, nullptr) << cycle;
        Vst2Instance instance(effect);
        if (cycle % 2 == 0) continue; // closed straight after opening, as scanners do
        instance.start(44100.0f, 128);
        instance.sendMidi({{0, {0x90, 60, 100}}});
        instance.render(left.data(), right.data(), 128);
        void* data = nullptr;
        ASSERT_GT(instance.dispatch(effGetChunk, 0, 0, &data), 0);
        instance.dispatch(effMainsChanged, 0, 0);
        instance.dispatch(effMainsChanged, 0, 1); // resumed again and closed while running
    }
}
