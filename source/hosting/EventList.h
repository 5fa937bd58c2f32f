// SPDX-License-Identifier: GPL-3.0-or-later
// An event list of fixed capacity: storage is taken at construction, so that filling, reading and
// reordering it on the audio thread never allocate. A full list refuses further events.
#pragma once

#include "FixedStore.h"
#include "HostOwned.h"

#include "pluginterfaces/vst/ivstevents.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

class EventList : public HostOwned<IEventList>
{
public:
    explicit EventList(int32 capacity = 2048);

    void clear() { events.clear(); }
    int32 capacity() const { return events.capacity(); }
    bool full() const { return events.full(); }

    /** Velocity is 0..1 as VST 3 carries it; false when the list is full. */
    bool addNoteOn(int32 sampleOffset, int16 pitch, float velocity, int32 noteId = -1,
                   int16 channel = 0);
    bool addNoteOff(int32 sampleOffset, int16 pitch, float velocity = 0.0f, int32 noteId = -1,
                    int16 channel = 0);

    /** The events held, to be reordered or edited in place. */
    Event* begin() { return events.begin(); }
    Event* end() { return events.end(); }
    /** Keeps the first `kept` events (the events that follow them are dropped). */
    void truncate(int32 kept) { events.truncate(kept); }

    int32 PLUGIN_API getEventCount() SMTG_OVERRIDE { return events.size(); }
    tresult PLUGIN_API getEvent(int32 index, Event& e) SMTG_OVERRIDE;
    tresult PLUGIN_API addEvent(Event& e) SMTG_OVERRIDE;

private:
    FixedStore<Event> events;
};

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
