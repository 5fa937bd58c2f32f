// SPDX-License-Identifier: GPL-3.0-or-later
// A read-only view of a block's event list restricted to samples [start, start + length), with
// offsets made relative to start. It lets a block be rendered in pieces that each see their own
// events. Lives on the stack: no reference counting, no allocation. Readers take the events
// front to back, so the window goes on from the last event it found instead of searching the
// list from its start again: a whole pass costs one pass over the list.
#pragma once

#include "pluginterfaces/vst/ivstevents.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class EventWindow : public IEventList
{
public:
    /** The first piece (start 0) also takes events with negative offsets. */
    EventWindow(IEventList* events, int32 start, int32 length)
        : events(events), start(start), length(length)
    {}
    virtual ~EventWindow() = default;

    int32 PLUGIN_API getEventCount() SMTG_OVERRIDE;
    tresult PLUGIN_API getEvent(int32 index, Event& e) SMTG_OVERRIDE;
    tresult PLUGIN_API addEvent(Event& /*e*/) SMTG_OVERRIDE { return kResultFalse; }

    tresult PLUGIN_API queryInterface(const TUID _iid, void** obj) SMTG_OVERRIDE;
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

private:
    bool contains(int32 sampleOffset) const;

    IEventList* events;
    int32 start;
    int32 length;
    int32 foundIndex = -1;  // the window's index of the last event handed out
    int32 foundSource = -1; // and where it lies in the list
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
