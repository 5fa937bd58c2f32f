// SPDX-License-Identifier: GPL-3.0-or-later
// The storage behind the kit's lists: items in a buffer taken up front and a count of those in use,
// so that filling, reading and emptying a list on the audio thread never allocate. Only
// setCapacity() allocates, and it belongs to the UI thread before processing starts.
#pragma once

#include "pluginterfaces/base/ftypes.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

template <typename Item>
class FixedStore
{
public:
    /** Every slot starts as a copy of `blank` (items that own storage of their own take it here).
     */
    explicit FixedStore(int32 capacity, const Item& blank = Item{})
        : items(static_cast<size_t>(std::max<int32>(capacity, 0)), blank)
    {}

    /** Allocates: UI thread only. Items beyond the new capacity are dropped. */
    void setCapacity(int32 capacity)
    {
        items.resize(static_cast<size_t>(std::max<int32>(capacity, 0)));
        used = std::min(used, this->capacity());
    }

    int32 size() const { return used; }
    int32 capacity() const { return static_cast<int32>(items.size()); }
    bool full() const { return used == capacity(); }
    bool holds(int32 index) const { return index >= 0 && index < used; }

    void clear() { used = 0; }
    /** Keeps the first `kept` items. */
    void truncate(int32 kept) { used = std::min(std::max<int32>(kept, 0), used); }

    /** The next free slot, now in use (it holds whatever it held before); nullptr when full. */
    Item* grow() { return full() ? nullptr : &items[static_cast<size_t>(used++)]; }
    bool push(const Item& item)
    {
        Item* slot = grow();
        if (slot) *slot = item;
        return slot != nullptr;
    }
    /** Puts `item` at `position`, moving the items from there one place on; false when full. */
    bool insert(int32 position, const Item& item)
    {
        if (full()) return false;
        for (int32 i = used; i > position; --i)
            items[static_cast<size_t>(i)] = items[static_cast<size_t>(i - 1)];
        items[static_cast<size_t>(position)] = item;
        ++used;
        return true;
    }

    Item& operator[](int32 index) { return items[static_cast<size_t>(index)]; }
    const Item& operator[](int32 index) const { return items[static_cast<size_t>(index)]; }
    Item* begin() { return items.data(); }
    Item* end() { return items.data() + used; }
    const Item* begin() const { return items.data(); }
    const Item* end() const { return items.data() + used; }

private:
    std::vector<Item> items;
    int32 used = 0;
};

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
