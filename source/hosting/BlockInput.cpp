// SPDX-License-Identifier: GPL-3.0-or-later
#include "BlockInput.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

BlockInput::BlockInput(int32 maxEvents, int32 maxMidiChanges)
    : notes(maxEvents), sorting(static_cast<size_t>(notes.capacity())),
      maxMidiChanges(std::max<int32>(maxMidiChanges, 1)), midiChanges(this->maxMidiChanges)
{}

void BlockInput::reserveParameters(int32 count)
{
    const int32 reserve = std::max(count, 0);
    midiChanges.setCapacity(maxMidiChanges + reserve);
    hostChanges.setCapacity(reserve);
}

void BlockInput::clear()
{
    notes.clear();
    delivered = 0;
    midiChanges.clear();
    hostChanges.clear();
}

bool BlockInput::addNoteOn(int32 sampleOffset, int16 channel, int16 pitch, float velocity)
{
    return notes.addNoteOn(sampleOffset, pitch, velocity, -1, channel);
}

bool BlockInput::addNoteOff(int32 sampleOffset, int16 channel, int16 pitch, float velocity)
{
    return notes.addNoteOff(sampleOffset, pitch, velocity, -1, channel);
}

bool BlockInput::addMidiChange(ParamID id, int32 sampleOffset, ParamValue value)
{
    if (midiChanges.size() >= maxMidiChanges)
    {
        // Full: the parameter's last move takes the newer value (and the later offset).
        for (int32 i = midiChanges.size() - 1; i >= 0; --i)
        {
            TimedChange& change = midiChanges[i];
            if (change.id == id)
            {
                change = {id, std::max(change.offset, sampleOffset), value};
                return true;
            }
        }
        // A parameter without a move yet takes one of the reserved places.
    }
    return midiChanges.push({id, sampleOffset, value});
}

bool BlockInput::addHostChange(ParamID id, ParamValue value)
{
    for (TimedChange& change : hostChanges)
    {
        if (change.id == id)
        {
            change.value = value;
            return true;
        }
    }
    return hostChanges.push({id, 0, value});
}

void BlockInput::prepare(int32 length)
{
    const int32 last = std::max(length - 1, 0);
    for (Event& note : notes)
        note.sampleOffset = std::min(std::max(note.sampleOffset, 0), last);
    for (TimedChange& change : midiChanges)
        change.offset = std::min(std::max(change.offset, 0), last);
    sortNotes();
    delivered = 0;
}

void BlockInput::sortNotes()
{
    const auto earlier = [](const Event& a, const Event& b) {
        return a.sampleOffset < b.sampleOffset;
    };
    Event* from = notes.begin();
    Event* to = sorting.data();
    const int32 n = notes.getEventCount();
    if (std::is_sorted(from, from + n, earlier)) return; // hosts send them in order
    // A bottom-up merge sort through the second buffer: stable, and it allocates nothing.
    for (int32 width = 1; width < n; width *= 2)
    {
        for (int32 begin = 0; begin < n; begin += 2 * width)
        {
            const int32 middle = std::min(begin + width, n);
            const int32 end = std::min(begin + 2 * width, n);
            std::merge(from + begin, from + middle, from + middle, from + end, to + begin, earlier);
        }
        std::swap(from, to);
    }
    if (from != notes.begin()) std::copy(from, from + n, notes.begin());
}

int32 BlockInput::nextPiece(int32 start, int32 maxLength, EventList& piece)
{
    const Event* held = notes.begin();
    const int32 count = notes.getEventCount();
    int32 end = start + std::max(maxLength, 1);
    const int32 first = delivered;
    int32 last = first;
    while (last < count && held[last].sampleOffset < end)
    {
        if (last - first == piece.capacity())
        {
            // No room for this event: the piece ends before its sample, or, when the piece's
            // first sample alone holds more than the room, after that sample.
            const int32 due = held[last].sampleOffset;
            if (due > start)
            {
                end = due;
                while (last > first && held[last - 1].sampleOffset >= due)
                    --last;
            }
            else
                end = start + 1;
            break;
        }
        ++last;
    }
    piece.clear();
    for (int32 i = first; i < last; ++i)
    {
        // Events that did not fit into the piece of their sample come at this one's first.
        Event e = held[i];
        e.sampleOffset = std::max(e.sampleOffset - start, 0);
        piece.addEvent(e);
    }
    delivered = last;
    return end - start;
}

void BlockInput::changesIn(int32 start, int32 length, ParameterChanges& out) const
{
    out.clear();
    if (start == 0)
    {
        for (const TimedChange& change : hostChanges)
            out.add(change.id, 0, change.value);
    }
    // Moves at the piece's first sample first, then the others in the order they came.
    for (const TimedChange& change : midiChanges)
    {
        if (change.offset == start) out.add(change.id, 0, change.value);
    }
    for (const TimedChange& change : midiChanges)
    {
        if (change.offset > start && change.offset - start < length)
            out.add(change.id, change.offset - start, change.value);
    }
}

void BlockInput::finishBlock()
{
    Event* held = notes.begin();
    const int32 kept = notes.getEventCount() - delivered;
    for (int32 i = 0; i < kept; ++i)
    {
        held[i] = held[delivered + i];
        held[i].sampleOffset = 0;
    }
    notes.truncate(kept);
    delivered = 0;
    midiChanges.clear();
    hostChanges.clear();
}

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
