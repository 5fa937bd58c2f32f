// SPDX-License-Identifier: GPL-3.0-or-later
// What an LV2 host calls on its audio thread allocates nothing: this executable counts what it
// allocates and plays a busy performance through run(), with MIDI, moving controls and blocks
// beyond the named maximum.
#include "AllocationCounter.h"
#include "Lv2InProcess.h"

#include <gtest/gtest.h>

namespace {

using Steinberg::Vst::Tarvik::TestSupport::AllocationCounter;

TEST(Lv2NoAllocation, RunAllocatesNothing)
{
    Lv2Test::InProcess plugin(256);
    ASSERT_NE(plugin.handle, nullptr);
    const uint32_t blockSizes[] = {256, 1, 511, 64, 300, 17, 1024};
    AllocationCounter counter;
    for (int block = 0; block < 700; ++block)
    {
        const uint32_t frames = blockSizes[block % 7];
        const uint8_t messages[4][3] = {{0x90, static_cast<uint8_t>(40 + block % 40), 100},
                                        {0x80, static_cast<uint8_t>(40 + (block + 20) % 40), 0},
                                        {0xB0, static_cast<uint8_t>(block % 50 == 0 ? 123 : 1),
                                         static_cast<uint8_t>(block % 128)},
                                        {0xE0, 0, static_cast<uint8_t>(block % 128)}};
        const uint32_t at[4] = {0, frames / 4, frames / 2, frames - 1};
        counter.start();
        plugin.setMidi(messages, at, 4);
        plugin.controls[static_cast<size_t>(block % 24)] = static_cast<float>(block % 6) / 5.0f;
        plugin.descriptor->run(plugin.handle, frames);
        counter.stop();
    }
    EXPECT_EQ(counter.count(), 0);
}

} // namespace
