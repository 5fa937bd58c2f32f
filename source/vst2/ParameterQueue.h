// SPDX-License-Identifier: GPL-3.0-or-later
// ParameterQueue: parameter changes on their way from the host's threads to the audio thread.
// A bounded ring of fixed capacity: pushing and popping never allocate, lock or wait. Any number
// of threads may push at once (VST 2 hosts call setParameter from whichever thread automates);
// exactly one thread, the audio thread, pops.
#pragma once

#include "pluginterfaces/vst/vsttypes.h"

#include <array>
#include <atomic>
#include <cstddef>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class ParameterQueue
{
public:
    static constexpr size_t kCapacity = 4096; // a power of two

    struct Change
    {
        ParamID id;
        ParamValue value;
    };

    ParameterQueue()
    {
        for (size_t i = 0; i < kCapacity; ++i)
            cells[i].sequence.store(i, std::memory_order_relaxed);
    }

    /** False when the ring is full (the consumer has fallen kCapacity changes behind). */
    bool push(const Change& change)
    {
        size_t position = tail.load(std::memory_order_relaxed);
        for (;;)
        {
            Cell& cell = cells[position & (kCapacity - 1)];
            const size_t sequence = cell.sequence.load(std::memory_order_acquire);
            const auto lag = static_cast<std::ptrdiff_t>(sequence - position);
            if (lag == 0)
            {
                // The cell is free for this position: claim the position, then fill the cell.
                if (tail.compare_exchange_weak(position, position + 1, std::memory_order_relaxed))
                {
                    cell.change = change;
                    cell.sequence.store(position + 1, std::memory_order_release);
                    return true;
                }
            }
            else if (lag < 0)
                return false;
            else
                position = tail.load(std::memory_order_relaxed);
        }
    }

    /** Audio thread only. False when nothing is waiting. */
    bool pop(Change& change)
    {
        Cell& cell = cells[head & (kCapacity - 1)];
        if (cell.sequence.load(std::memory_order_acquire) != head + 1) return false;
        change = cell.change;
        cell.sequence.store(head + kCapacity, std::memory_order_release);
        ++head;
        return true;
    }

private:
    struct Cell
    {
        std::atomic<size_t> sequence{0};
        Change change{};
    };

    std::array<Cell, kCapacity> cells;
    alignas(64) std::atomic<size_t> tail{0};
    alignas(64) size_t head = 0;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
