// SPDX-License-Identifier: GPL-3.0-or-later
#include "BlockInput.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

void BlockInput::clear()
{
    eventCount = 0;
    changeCount = 0;
}

bool BlockInput::addNoteOn(int32 sampleOffset, int16 channel, int16 pitch, float velocity)
{
    Event e{};
    e.type = Event::kNoteOnEvent;
    e.sampleOffset = sampleOffset;
    e.noteOn.channel = channel;
    e.noteOn.pitch = pitch;
    e.noteOn.velocity = velocity;
    e.noteOn.noteId = -1;
    return addEvent(e) == kResultOk;
}

bool BlockInput::addNoteOff(int32 sampleOffset, int16 channel, int16 pitch, float velocity)
{
    Event e{};
    e.type = Event::kNoteOffEvent;
    e.sampleOffset = sampleOffset;
    e.noteOff.channel = channel;
    e.noteOff.pitch = pitch;
    e.noteOff.velocity = velocity;
    e.noteOff.noteId = -1;
    return addEvent(e) == kResultOk;
}

bool BlockInput::addChange(ParamID id, int32 sampleOffset, ParamValue value)
{
    if (changeCount < kMaxChanges)
    {
        changes[static_cast<size_t>(changeCount++)] = {id, sampleOffset, value};
        return true;
    }
    for (int32 i = changeCount - 1; i >= 0; --i)
    {
        TimedChange& change = changes[static_cast<size_t>(i)];
        if (change.id == id)
        {
            change = {id, std::max(change.offset, sampleOffset), value};
            return true;
        }
    }
    return false;
}

void BlockInput::clampOffsets(int32 length)
{
    const int32 last = std::max(length - 1, 0);
    for (int32 i = 0; i < eventCount; ++i)
    {
        Event& e = events[static_cast<size_t>(i)];
        e.sampleOffset = std::min(std::max(e.sampleOffset, 0), last);
    }
    for (int32 i = 0; i < changeCount; ++i)
    {
        TimedChange& change = changes[static_cast<size_t>(i)];
        change.offset = std::min(std::max(change.offset, 0), last);
    }
}

void BlockInput::changesIn(int32 start, int32 length, BlockParameterChanges& out) const
{
    // Changes at the first sample first, so that the host's changes, which arrive after the
    // block's MIDI but belong before it, do not replace later controller moves.
    out.clear();
    for (int32 i = 0; i < changeCount; ++i)
    {
        const TimedChange& change = changes[static_cast<size_t>(i)];
        if (change.offset == start) out.add(change.id, 0, change.value);
    }
    for (int32 i = 0; i < changeCount; ++i)
    {
        const TimedChange& change = changes[static_cast<size_t>(i)];
        if (change.offset > start && change.offset - start < length)
            out.add(change.id, change.offset - start, change.value);
    }
}

tresult PLUGIN_API BlockInput::getEvent(int32 index, Event& e)
{
    if (index < 0 || index >= eventCount) return kInvalidArgument;
    e = events[static_cast<size_t>(index)];
    return kResultOk;
}

tresult PLUGIN_API BlockInput::addEvent(Event& e)
{
    if (eventCount == kMaxEvents) return kResultFalse;
    events[static_cast<size_t>(eventCount++)] = e;
    return kResultOk;
}

tresult PLUGIN_API BlockInput::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        FUnknownPrivate::iidEqual(iid, IEventList::iid))
    {
        *obj = static_cast<IEventList*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
