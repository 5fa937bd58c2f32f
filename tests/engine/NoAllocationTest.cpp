// SPDX-License-Identifier: GPL-3.0-or-later
// The audio thread never allocates: a long, busy performance rendered through process(), with
// every allocation counted.
#include "AllocationCounter.h"
#include "EngineRig.h"

#include <gtest/gtest.h>

namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

class CountedProcessorRig : public TestRig::ProcessorRig
{
public:
    CountedProcessorRig() : ProcessorRig(48000.0, 1024) {}

    void countedProcess(int32 n)
    {
        ProcessData& data = buffers.prepare(n, &changes, &events);
        allocations.start();
        processor->process(data);
        allocations.stop();
        events.clear();
        changes.clear();
    }

    TestSupport::AllocationCounter allocations;
};

/** The probe's pointer escapes through a volatile store: a compiler may drop a new/delete pair
    whose memory nobody can see (clang does), but not this one. */
int* volatile probeSink = nullptr;

TEST(NoAllocation, CounterSeesAllocations)
{
    TestSupport::AllocationCounter allocations;
    allocations.start();
    probeSink = new int(3);
    allocations.stop();
    EXPECT_EQ(allocations.count(), 1);
    delete probeSink;
}

TEST(NoAllocation, ProcessAllocatesNothingInALongBusyRender)
{
    CountedProcessorRig rig;
    const int32 blockSizes[] = {1, 32, 64, 128, 333, 512, 1024, 0, 7};
    const ParamID controllers[] = {kModWheelId,      kPitchBendId,    kFilterModUpId,
                                   kFilterModDownId, kResonanceCtlId, kAftertouchId};
    int32 block = 0;
    for (int32 mode = 0; mode < 6; ++mode)
    {
        rig.changes.add(kGlide, 0, mode / 5.0);
        for (int32 step = 0; step < 120; ++step, ++block)
        {
            const int32 n = blockSizes[block % 9];
            if (step % 5 == 0)
                for (int32 k = 0; k < 4; ++k)
                    rig.events.addNoteOn(k * 3, static_cast<int16>(40 + (step + 7 * k) % 50),
                                         0.3f + 0.15f * k);
            if (step % 5 == 3)
                for (int32 k = 0; k < 4; ++k)
                    rig.events.addNoteOff(k, static_cast<int16>(40 + (step - 3 + 7 * k) % 50));
            rig.changes.add(controllers[step % 6], 0, (step % 11) / 10.0);
            rig.changes.add(static_cast<ParamID>(step % 24), 0, (step % 7) / 6.0);
            if (step == 40) rig.changes.add(kBypassParamId, 0, 1.0);
            if (step == 45) rig.changes.add(kBypassParamId, 0, 0.0);
            rig.countedProcess(n);
            ASSERT_TRUE(TestRig::allFinite(rig.left(), n));
        }
    }
    EXPECT_EQ(rig.allocations.count(), 0);
    EXPECT_EQ(block, 720);
}

} // namespace
