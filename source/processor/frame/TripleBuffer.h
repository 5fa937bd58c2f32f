// SPDX-License-Identifier: GPL-3.0-or-later
// Hands complete values from one writer thread to one reader thread without locks and without
// either side ever waiting. Three slots: the writer fills its own and publishes it, which swaps
// it with the shared middle slot; the reader swaps its own slot with the middle one when a newer
// value is there. A slot is only ever touched by the side that holds it, so the reader sees each
// value whole, and it always sees the newest one published (older unread ones are dropped).
#pragma once

#include <atomic>
#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

template <typename T>
class TripleBuffer
{
public:
    /** Writer: the slot to fill before publish(). Holds an older value, not the last one. */
    T& writeSlot() { return slots[writeIndex]; }

    /** Writer: makes the filled slot the newest value and continues with a free slot. */
    void publish()
    {
        const uint8_t previous =
            middle.exchange(static_cast<uint8_t>(writeIndex | kFresh), std::memory_order_acq_rel);
        writeIndex = previous & kIndexMask;
    }

    /** Reader: takes the newest published value if one came since the last take. */
    bool take()
    {
        if ((middle.load(std::memory_order_acquire) & kFresh) == 0) return false;
        const uint8_t previous = middle.exchange(readIndex, std::memory_order_acq_rel);
        readIndex = previous & kIndexMask;
        return true;
    }

    /** Reader: the value taken last. */
    const T& readSlot() const { return slots[readIndex]; }

    /** Only while neither side runs: every slot becomes value and nothing is pending. */
    void reset(const T& value)
    {
        for (T& slot : slots)
            slot = value;
        middle.store(middle.load(std::memory_order_relaxed) & kIndexMask,
                     std::memory_order_release);
    }

private:
    static constexpr uint8_t kIndexMask = 3;
    static constexpr uint8_t kFresh = 4;

    T slots[3]{};
    uint8_t writeIndex = 0;
    uint8_t readIndex = 1;
    std::atomic<uint8_t> middle{2};
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
