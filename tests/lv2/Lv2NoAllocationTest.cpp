// SPDX-License-Identifier: GPL-3.0-or-later
// What an LV2 host calls on its audio thread allocates nothing: this executable replaces the
// global allocation functions with counting ones and plays a busy performance through run(),
// with MIDI, moving controls and blocks beyond the named maximum.
#include "Lv2InProcess.h"

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

TEST(Lv2NoAllocation, RunAllocatesNothing)
{
    Lv2Test::InProcess plugin(256);
    ASSERT_NE(plugin.handle, nullptr);
    const uint32_t blockSizes[] = {256, 1, 511, 64, 300, 17, 1024};
    allocations = 0;
    for (int block = 0; block < 700; ++block)
    {
        const uint32_t frames = blockSizes[block % 7];
        const uint8_t messages[4][3] = {{0x90, static_cast<uint8_t>(40 + block % 40), 100},
                                        {0x80, static_cast<uint8_t>(40 + (block + 20) % 40), 0},
                                        {0xB0, static_cast<uint8_t>(block % 50 == 0 ? 123 : 1),
                                         static_cast<uint8_t>(block % 128)},
                                        {0xE0, 0, static_cast<uint8_t>(block % 128)}};
        const uint32_t at[4] = {0, frames / 4, frames / 2, frames - 1};
        counting = true;
        plugin.setMidi(messages, at, 4);
        plugin.controls[static_cast<size_t>(block % 24)] = static_cast<float>(block % 6) / 5.0f;
        plugin.descriptor->run(plugin.handle, frames);
        counting = false;
    }
    EXPECT_EQ(allocations, 0);
}

} // namespace
