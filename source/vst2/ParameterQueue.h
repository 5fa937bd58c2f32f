// SPDX-License-Identifier: GPL-3.0-or-later
// ParameterQueue: parameter changes on their way from the host's threads to the audio thread.
// Each parameter has a slot with its latest value; the queue carries the indexes of parameters
// whose slots have changed since the audio thread last looked. Any number of threads may push at
// once (VST 2 hosts call setParameter from whichever thread automates); one thread, the audio
// thread, pops. Nothing allocates, locks or waits after construction, and nothing is lost: a
// parameter is queued at most once, so the queue cannot fill, and the newest value always
// arrives (the processor only takes a block's last value of a parameter anyway).
#pragma once

#include "pluginterfaces/vst/vsttypes.h"

#include <atomic>
#include <cstddef>
#include <memory>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class ParameterQueue
{
public:
    /** Slots for parameters 0 .. count - 1. */
    explicit ParameterQueue(int32 count);

    /** Any thread. False only for an index outside the slots. */
    bool push(int32 index, ParamValue value);

    /** Audio thread only. False when no parameter has changed. */
    bool pop(int32& index, ParamValue& value);

private:
    struct Slot
    {
        std::atomic<ParamValue> value{0.0};
        std::atomic<bool> queued{false};
    };
    struct Cell
    {
        std::atomic<size_t> sequence{0};
        int32 index = 0;
    };

    bool enqueue(int32 index);

    int32 count;
    size_t capacity; // a power of two, at least count
    std::unique_ptr<Slot[]> slots;
    std::unique_ptr<Cell[]> cells;
    alignas(64) std::atomic<size_t> tail{0};
    alignas(64) size_t head = 0;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
