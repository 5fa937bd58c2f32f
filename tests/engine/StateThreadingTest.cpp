// SPDX-License-Identifier: GPL-3.0-or-later
// Hosts save and load states on the UI thread while the audio thread processes. Run under
// ThreadSanitizer too (ctest label "threading"): any unsynchronised access is a failure there.
#include "EngineRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

/** A state whose 24 values are all `value` and whose bypass word says whether step is even:
    any mix of two states shows. */
std::vector<char> uniformState(int32 step)
{
    std::vector<char> bytes(200);
    const int32 count = 24;
    const double value = (step % 1000) / 1000.0;
    const int32 bypassWord = step % 2 == 0 ? 1 : 0;
    std::memcpy(bytes.data(), &count, 4); // the test machine is little-endian
    for (size_t i = 0; i < 24; ++i)
        std::memcpy(bytes.data() + 4 + 8 * i, &value, 8);
    std::memcpy(bytes.data() + 196, &bypassWord, 4);
    return bytes;
}

bool isUniform(const std::vector<char>& bytes)
{
    if (bytes.size() != 200) return false;
    double first = 0.0;
    std::memcpy(&first, bytes.data() + 4, 8);
    return bytes == uniformState(static_cast<int32>(first * 1000.0 + 0.5));
}

TEST(StateThreading, StateCallsDuringProcessingHandOverWholeStates)
{
    TestRig::ProcessorRig rig(48000.0, 512);
    TestRig::loadState(rig.processor, uniformState(1));

    std::atomic<bool> done{false};
    int32 notWhatWasSet = 0;
    int32 mixed = 0;
    std::thread ui([&] {
        for (int32 step = 2; step < 2002; ++step)
        {
            const std::vector<char> state = uniformState(step);
            TestRig::loadState(rig.processor, state);
            if (TestRig::saveState(rig.processor) != state) ++notWhatWasSet;
            // A damaged state hands nothing over.
            if (step % 10 == 0 &&
                (TestRig::loadState(rig.processor, {state.begin(), state.begin() + 100}) !=
                     kResultFalse ||
                 TestRig::saveState(rig.processor) != state))
                ++notWhatWasSet;
            std::this_thread::yield();
            if (!isUniform(TestRig::saveState(rig.processor))) ++mixed;
        }
        done = true;
    });

    // Notes and performance controllers only: the sound parameters come from the states.
    int32 blocks = 0;
    bool finite = true;
    while (!done)
    {
        const int32 n = (blocks * 37) % 512;
        if (blocks % 8 == 0) rig.events.addNoteOn(0, static_cast<int16>(40 + blocks % 40), 0.7f);
        if (blocks % 8 == 4) rig.events.addNoteOff(0, static_cast<int16>(40 + (blocks - 4) % 40));
        rig.changes.add(kModWheelId, 0, (blocks % 10) / 10.0);
        rig.process(n);
        finite = finite && TestRig::allFinite(rig.left(), n);
        ++blocks;
    }
    ui.join();

    EXPECT_EQ(notWhatWasSet, 0);
    EXPECT_EQ(mixed, 0);
    EXPECT_TRUE(finite);
    rig.process(0);
    const std::vector<char> last = uniformState(2001);
    EXPECT_EQ(TestRig::saveState(rig.processor), last);
    EXPECT_EQ(rig.processor->paramValues[23], 0.001);
    EXPECT_GT(blocks, 0);
}

} // namespace
