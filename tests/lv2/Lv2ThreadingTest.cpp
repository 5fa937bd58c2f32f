// SPDX-License-Identifier: GPL-3.0-or-later
// The state extension's save, which LV2 lets a host call while run() goes on: the host's UI
// thread saves again and again while the audio thread plays. The thread sanitizer run (label
// threading) proves the two share nothing unguarded.
#include "Lv2InProcess.h"

#include <lv2/state/state.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(Lv2Threading, SavingWhileRunningIsSafe)
{
    Lv2Test::InProcess plugin(128);
    ASSERT_NE(plugin.handle, nullptr);
    const auto* state = static_cast<const LV2_State_Interface*>(
        plugin.descriptor->extension_data(LV2_STATE__interface));
    ASSERT_NE(state, nullptr);

    std::atomic<bool> done{false};
    std::thread audio([&] {
        for (int block = 0; block < 2000; ++block)
        {
            const uint8_t messages[2][3] = {
                {0x90, static_cast<uint8_t>(40 + block % 40), 100},
                {0x80, static_cast<uint8_t>(40 + (block + 20) % 40), 0}};
            const uint32_t at[2] = {0, 64};
            plugin.setMidi(messages, at, 2);
            plugin.descriptor->run(plugin.handle, 128);
        }
        done = true;
    });
    const LV2_URID stateKey = plugin.urids.map("https://tarvik.audio/plugins/brask#state");
    struct Saved
    {
        LV2_URID key;
        size_t size = 0;
        int count = 0;
    } saved{stateKey};
    auto store = [](LV2_State_Handle handle, uint32_t key, const void*, size_t size, uint32_t,
                    uint32_t) -> LV2_State_Status {
        auto* s = static_cast<Saved*>(handle);
        if (key == s->key)
        {
            s->size = size;
            ++s->count;
        }
        return LV2_STATE_SUCCESS;
    };
    while (!done)
        EXPECT_EQ(state->save(plugin.handle, store, &saved, 0, nullptr), LV2_STATE_SUCCESS);
    audio.join();
    EXPECT_GT(saved.count, 0);
    EXPECT_EQ(saved.size, 200u);
}

} // namespace
