// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventList.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

namespace {

Event noteEvent(uint16 type, int32 sampleOffset, int16 channel, int16 pitch, float velocity,
                int32 noteId)
{
    Event e{};
    e.type = type;
    e.sampleOffset = sampleOffset;
    // Note-on and note-off begin alike: channel, pitch, tuning, velocity.
    if (type == Event::kNoteOnEvent)
    {
        e.noteOn.channel = channel;
        e.noteOn.pitch = pitch;
        e.noteOn.velocity = velocity;
        e.noteOn.noteId = noteId;
    }
    else
    {
        e.noteOff.channel = channel;
        e.noteOff.pitch = pitch;
        e.noteOff.velocity = velocity;
        e.noteOff.noteId = noteId;
    }
    return e;
}

} // namespace

EventList::EventList(int32 capacity) : events(std::max<int32>(capacity, 1)) {}

bool EventList::addNoteOn(int32 sampleOffset, int16 pitch, float velocity, int32 noteId,
                          int16 channel)
{
    Event e = noteEvent(Event::kNoteOnEvent, sampleOffset, channel, pitch, velocity, noteId);
    return addEvent(e) == kResultOk;
}

bool EventList::addNoteOff(int32 sampleOffset, int16 pitch, float velocity, int32 noteId,
                           int16 channel)
{
    Event e = noteEvent(Event::kNoteOffEvent, sampleOffset, channel, pitch, velocity, noteId);
    return addEvent(e) == kResultOk;
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e)
{
    if (!events.holds(index)) return kInvalidArgument;
    e = events[index];
    return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& e)
{
    return events.push(e) ? kResultOk : kResultFalse;
}

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
