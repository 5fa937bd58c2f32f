// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventList.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Host {

EventList::EventList(int32 capacity) : events(static_cast<size_t>(capacity > 0 ? capacity : 1)) {}

bool EventList::addNoteOn(int32 sampleOffset, int16 pitch, float velocity, int32 noteId,
                          int16 channel)
{
    Event e{};
    e.type = Event::kNoteOnEvent;
    e.sampleOffset = sampleOffset;
    e.noteOn.channel = channel;
    e.noteOn.pitch = pitch;
    e.noteOn.velocity = velocity;
    e.noteOn.noteId = noteId;
    return addEvent(e) == kResultOk;
}

bool EventList::addNoteOff(int32 sampleOffset, int16 pitch, float velocity, int32 noteId,
                           int16 channel)
{
    Event e{};
    e.type = Event::kNoteOffEvent;
    e.sampleOffset = sampleOffset;
    e.noteOff.channel = channel;
    e.noteOff.pitch = pitch;
    e.noteOff.velocity = velocity;
    e.noteOff.noteId = noteId;
    return addEvent(e) == kResultOk;
}

tresult PLUGIN_API EventList::getEvent(int32 index, Event& e)
{
    if (index < 0 || index >= count) return kInvalidArgument;
    e = events[static_cast<size_t>(index)];
    return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Event& e)
{
    if (static_cast<size_t>(count) >= events.size()) return kResultFalse;
    events[static_cast<size_t>(count++)] = e;
    return kResultOk;
}

} // namespace Host
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
