// SPDX-License-Identifier: GPL-3.0-or-later
// The host's event list for one block, with a fixed capacity so it never allocates while filled.
#pragma once

#include "HostOwned.h"

#include "pluginterfaces/vst/ivstevents.h"

#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Host {

class EventList : public HostOwned<IEventList>
{
public:
    explicit EventList(int32 capacity = 2048);

    void clear() { count = 0; }
    /** Velocity is 0..1 as VST 3 carries it; false when the list is full. */
    bool addNoteOn(int32 sampleOffset, int16 pitch, float velocity, int32 noteId = -1,
                   int16 channel = 0);
    bool addNoteOff(int32 sampleOffset, int16 pitch, float velocity = 0.0f, int32 noteId = -1,
                    int16 channel = 0);

    int32 PLUGIN_API getEventCount() SMTG_OVERRIDE { return count; }
    tresult PLUGIN_API getEvent(int32 index, Event& e) SMTG_OVERRIDE;
    tresult PLUGIN_API addEvent(Event& e) SMTG_OVERRIDE;

private:
    std::vector<Event> events;
    int32 count = 0;
};

} // namespace Host
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
