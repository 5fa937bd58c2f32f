// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventWindow.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

bool EventWindow::contains(int32 sampleOffset) const
{
    if (sampleOffset < start) return start == 0;
    return sampleOffset - start < length;
}

int32 PLUGIN_API EventWindow::getEventCount()
{
    if (!events) return 0;
    int32 count = 0;
    const int32 total = events->getEventCount();
    for (int32 i = 0; i < total; ++i)
    {
        Event e{};
        if (events->getEvent(i, e) == kResultOk && contains(e.sampleOffset)) ++count;
    }
    return count;
}

tresult PLUGIN_API EventWindow::getEvent(int32 index, Event& out)
{
    if (!events || index < 0) return kInvalidArgument;
    if (index <= foundIndex)
    {
        foundIndex = -1;
        foundSource = -1;
    }
    const int32 total = events->getEventCount();
    for (int32 i = foundSource + 1; i < total; ++i)
    {
        Event e{};
        if (events->getEvent(i, e) != kResultOk || !contains(e.sampleOffset)) continue;
        foundSource = i;
        if (++foundIndex == index)
        {
            out = e;
            out.sampleOffset = e.sampleOffset < start ? 0 : e.sampleOffset - start;
            return kResultOk;
        }
    }
    return kInvalidArgument;
}

tresult PLUGIN_API EventWindow::queryInterface(const TUID _iid, void** obj)
{
    QUERY_INTERFACE(_iid, obj, FUnknown::iid, IEventList)
    QUERY_INTERFACE(_iid, obj, IEventList::iid, IEventList)
    *obj = nullptr;
    return kNoInterface;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
