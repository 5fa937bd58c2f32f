// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParameterQueue.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

ParameterQueue::ParameterQueue(int32 parameterCount)
    : count(parameterCount > 0 ? parameterCount : 0), capacity(1)
{
    while (capacity < static_cast<size_t>(count))
        capacity *= 2;
    slots.reset(new Slot[static_cast<size_t>(count) + 1]);
    cells.reset(new Cell[capacity]);
    for (size_t i = 0; i < capacity; ++i)
        cells[i].sequence.store(i, std::memory_order_relaxed);
}

bool ParameterQueue::push(int32 index, ParamValue value)
{
    if (index < 0 || index >= count) return false;
    Slot& slot = slots[static_cast<size_t>(index)];
    slot.value.store(value, std::memory_order_release);
    // Already waiting: the audio thread will read the value just stored.
    if (slot.queued.exchange(true, std::memory_order_acq_rel)) return true;
    return enqueue(index);
}

bool ParameterQueue::enqueue(int32 index)
{
    // A bounded multi-producer ring (cells carry sequence numbers). It cannot be full: each
    // parameter is in it at most once.
    size_t position = tail.load(std::memory_order_relaxed);
    for (;;)
    {
        Cell& cell = cells[position & (capacity - 1)];
        const size_t sequence = cell.sequence.load(std::memory_order_acquire);
        const auto lag = static_cast<std::ptrdiff_t>(sequence - position);
        if (lag == 0)
        {
            if (tail.compare_exchange_weak(position, position + 1, std::memory_order_relaxed))
            {
                cell.index = index;
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

bool ParameterQueue::pop(int32& index, ParamValue& value)
{
    Cell& cell = cells[head & (capacity - 1)];
    if (cell.sequence.load(std::memory_order_acquire) != head + 1) return false;
    index = cell.index;
    cell.sequence.store(head + capacity, std::memory_order_release);
    ++head;
    // Cleared before the value is read: a value stored after this queues the parameter again.
    Slot& slot = slots[static_cast<size_t>(index)];
    slot.queued.exchange(false, std::memory_order_acq_rel);
    value = slot.value.load(std::memory_order_acquire);
    return true;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
