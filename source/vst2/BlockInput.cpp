// SPDX-License-Identifier: GPL-3.0-or-later
#include "BlockInput.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

template <typename Interface>
tresult answer(Interface* self, const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        FUnknownPrivate::iidEqual(iid, IEventList::iid))
    {
        *obj = self;
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

} // namespace

BlockInput::BlockInput() : notes(kMaxEvents), sorting(kMaxEvents), midiChanges(kMaxMidiChanges) {}

void BlockInput::reserveParameters(int32 count)
{
    const auto reserve = static_cast<size_t>(std::max(count, 0));
    midiChanges.resize(kMaxMidiChanges + reserve);
    hostChanges.resize(reserve);
}

void BlockInput::clear()
{
    noteCount = 0;
    delivered = 0;
    midiChangeCount = 0;
    hostChangeCount = 0;
}

bool BlockInput::addNote(const Note& note)
{
    if (noteCount == kMaxEvents) return false;
    notes[static_cast<size_t>(noteCount++)] = note;
    return true;
}

bool BlockInput::addNoteOn(int32 sampleOffset, int16 channel, int16 pitch, float velocity)
{
    return addNote({sampleOffset, velocity, channel, pitch, true});
}

bool BlockInput::addNoteOff(int32 sampleOffset, int16 channel, int16 pitch, float velocity)
{
    return addNote({sampleOffset, velocity, channel, pitch, false});
}

bool BlockInput::addMidiChange(ParamID id, int32 sampleOffset, ParamValue value)
{
    if (midiChangeCount >= kMaxMidiChanges)
    {
        // Full: the parameter's last move takes the newer value (and the later offset).
        for (int32 i = midiChangeCount - 1; i >= 0; --i)
        {
            TimedChange& change = midiChanges[static_cast<size_t>(i)];
            if (change.id == id)
            {
                change = {id, std::max(change.offset, sampleOffset), value};
                return true;
            }
        }
        // A parameter without a move yet takes one of the reserved places.
    }
    if (midiChangeCount == static_cast<int32>(midiChanges.size())) return false;
    midiChanges[static_cast<size_t>(midiChangeCount++)] = {id, sampleOffset, value};
    return true;
}

bool BlockInput::addHostChange(ParamID id, ParamValue value)
{
    for (int32 i = 0; i < hostChangeCount; ++i)
    {
        if (hostChanges[static_cast<size_t>(i)].id == id)
        {
            hostChanges[static_cast<size_t>(i)].value = value;
            return true;
        }
    }
    if (hostChangeCount == static_cast<int32>(hostChanges.size())) return false;
    hostChanges[static_cast<size_t>(hostChangeCount++)] = {id, 0, value};
    return true;
}

void BlockInput::prepare(int32 length)
{
    const int32 last = std::max(length - 1, 0);
    for (int32 i = 0; i < noteCount; ++i)
    {
        Note& note = notes[static_cast<size_t>(i)];
        note.offset = std::min(std::max(note.offset, 0), last);
    }
    for (int32 i = 0; i < midiChangeCount; ++i)
    {
        TimedChange& change = midiChanges[static_cast<size_t>(i)];
        change.offset = std::min(std::max(change.offset, 0), last);
    }
    sortNotes();
    delivered = 0;
}

void BlockInput::sortNotes()
{
    const auto earlier = [](const Note& a, const Note& b) { return a.offset < b.offset; };
    Note* from = notes.data();
    Note* to = sorting.data();
    const int32 n = noteCount;
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
    if (from != notes.data()) std::copy(from, from + n, notes.data());
}

int32 BlockInput::nextPiece(int32 start, int32 maxLength, Piece& piece)
{
    int32 end = start + std::max(maxLength, 1);
    const int32 first = delivered;
    int32 last = first;
    while (last < noteCount && notes[static_cast<size_t>(last)].offset < end)
    {
        if (last - first == kMaxPieceEvents)
        {
            // No room for this event: the piece ends before its sample, or, when the piece's
            // first sample alone holds more than the room, after that sample.
            const int32 due = notes[static_cast<size_t>(last)].offset;
            if (due > start)
            {
                end = due;
                while (last > first && notes[static_cast<size_t>(last - 1)].offset >= due)
                    --last;
            }
            else
                end = start + 1;
            break;
        }
        ++last;
    }
    piece.input = this;
    piece.first = first;
    piece.count = last - first;
    piece.start = start;
    delivered = last;
    return end - start;
}

void BlockInput::changesIn(int32 start, int32 length, BlockParameterChanges& out) const
{
    out.clear();
    if (start == 0)
    {
        for (int32 i = 0; i < hostChangeCount; ++i)
        {
            const TimedChange& change = hostChanges[static_cast<size_t>(i)];
            out.add(change.id, 0, change.value);
        }
    }
    // Moves at the piece's first sample first, then the others in the order they came.
    for (int32 i = 0; i < midiChangeCount; ++i)
    {
        const TimedChange& change = midiChanges[static_cast<size_t>(i)];
        if (change.offset == start) out.add(change.id, 0, change.value);
    }
    for (int32 i = 0; i < midiChangeCount; ++i)
    {
        const TimedChange& change = midiChanges[static_cast<size_t>(i)];
        if (change.offset > start && change.offset - start < length)
            out.add(change.id, change.offset - start, change.value);
    }
}

void BlockInput::finishBlock()
{
    const int32 kept = noteCount - delivered;
    for (int32 i = 0; i < kept; ++i)
    {
        notes[static_cast<size_t>(i)] = notes[static_cast<size_t>(delivered + i)];
        notes[static_cast<size_t>(i)].offset = 0;
    }
    noteCount = kept;
    delivered = 0;
    midiChangeCount = 0;
    hostChangeCount = 0;
}

void BlockInput::toEvent(const Note& note, int32 offset, Event& e)
{
    e = Event{};
    e.sampleOffset = offset;
    if (note.on)
    {
        e.type = Event::kNoteOnEvent;
        e.noteOn.channel = note.channel;
        e.noteOn.pitch = note.pitch;
        e.noteOn.velocity = note.velocity;
        e.noteOn.noteId = -1;
    }
    else
    {
        e.type = Event::kNoteOffEvent;
        e.noteOff.channel = note.channel;
        e.noteOff.pitch = note.pitch;
        e.noteOff.velocity = note.velocity;
        e.noteOff.noteId = -1;
    }
}

tresult PLUGIN_API BlockInput::getEvent(int32 index, Event& e)
{
    if (index < 0 || index >= noteCount) return kInvalidArgument;
    const Note& note = notes[static_cast<size_t>(index)];
    toEvent(note, note.offset, e);
    return kResultOk;
}

tresult PLUGIN_API BlockInput::addEvent(Event& e)
{
    if (e.type == Event::kNoteOnEvent)
        return addNoteOn(e.sampleOffset, e.noteOn.channel, e.noteOn.pitch, e.noteOn.velocity)
                   ? kResultOk
                   : kResultFalse;
    if (e.type == Event::kNoteOffEvent)
        return addNoteOff(e.sampleOffset, e.noteOff.channel, e.noteOff.pitch, e.noteOff.velocity)
                   ? kResultOk
                   : kResultFalse;
    return kResultFalse;
}

tresult PLUGIN_API BlockInput::queryInterface(const TUID iid, void** obj)
{
    return answer<IEventList>(this, iid, obj);
}

tresult PLUGIN_API BlockInput::Piece::getEvent(int32 index, Event& e)
{
    if (!input || index < 0 || index >= count) return kInvalidArgument;
    const Note& note = input->notes[static_cast<size_t>(first + index)];
    // Events that did not fit into the piece of their sample come at this one's first.
    BlockInput::toEvent(note, std::max(note.offset - start, 0), e);
    return kResultOk;
}

tresult PLUGIN_API BlockInput::Piece::queryInterface(const TUID iid, void** obj)
{
    return answer<IEventList>(this, iid, obj);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
