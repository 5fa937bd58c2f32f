// SPDX-License-Identifier: GPL-3.0-or-later
// The audio thread never allocates: this executable replaces the global allocation functions
// with counting ones and renders a long, busy performance through process().
#include "EngineRig.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {

bool counting = false;
long allocations = 0;

void* allocate(std::size_t size)
{
    if (counting) ++allocations;
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment)
{
    if (counting) ++allocations;
    const auto align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + align - 1) / align * align;
    if (void* memory = std::aligned_alloc(align, rounded ? rounded : align)) return memory;
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
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try
    {
        return allocate(size);
    }
    catch (...)
    {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept
{
    return operator new(size, tag);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
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
void operator delete(void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}

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
        counting = true;
        processor->process(data);
        counting = false;
        events.clear();
        changes.clear();
    }
};

/** The probe's pointer escapes through a volatile store: a compiler may drop a new/delete pair
    whose memory nobody can see (clang does), but not this one. */
int* volatile probeSink = nullptr;

TEST(NoAllocation, CounterSeesAllocations)
{
    counting = true;
    probeSink = new int(3);
    counting = false;
    EXPECT_EQ(allocations, 1);
    delete probeSink;
    allocations = 0;
}

TEST(NoAllocation, ProcessAllocatesNothingInALongBusyRender)
{
    CountedProcessorRig rig;
    const int32 blockSizes[] = {1, 32, 64, 128, 333, 512, 1024, 0, 7};
    const ParamID controllers[] = {kModWheelId,      kPitchBendId,    kFilterModUpId,
                                   kFilterModDownId, kResonanceCtlId, kAftertouchId};
    int32 block = 0;
    allocations = 0;
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
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(block, 720);
}

} // namespace
