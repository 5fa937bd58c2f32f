// SPDX-License-Identifier: GPL-3.0-or-later
// BlockInput: what a host hands over for the next block, note events and timed parameter changes,
// kept in storage reserved up front so the audio thread never allocates. The block is rendered in
// pieces: each piece gets its own changes, and its own note events, never more than the piece's
// event list holds (what the plug-in takes in one process call), so that a busy block is split
// where the room runs out instead of losing what does not fit.
#pragma once

#include "EventList.h"
#include "FixedStore.h"
#include "ParameterChanges.h"

#include <algorithm>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

class BlockInput
{
public:
    /** Note events one block holds by default: a panic that releases every key of all 16
        channels, and 6144 notes besides. */
    static constexpr int32 kMaxEvents = 8192;
    /** Controller moves one block holds by default; past them each parameter's newest move
        replaces its previous one, so that no parameter misses its last value. */
    static constexpr int32 kMaxMidiChanges = 1024;

    explicit BlockInput(int32 maxEvents = kMaxEvents, int32 maxMidiChanges = kMaxMidiChanges);

    /** Room for the host's changes of `count` parameters, and for a controller move of each of
        them however many moves came before. UI thread, before processing starts. */
    void reserveParameters(int32 count);

    /** Forgets everything, also events kept from the last block. */
    void clear();
    /** False when the block already holds as many events as it can; the event is then not
        taken. */
    bool addNoteOn(int32 sampleOffset, int16 channel, int16 pitch, float velocity);
    bool addNoteOff(int32 sampleOffset, int16 channel, int16 pitch, float velocity);
    /** A move of the block's MIDI; see kMaxMidiChanges. False only for more parameters than
        reserved. */
    bool addMidiChange(ParamID id, int32 sampleOffset, ParamValue value);
    /** A change the host made before the block: it comes ahead of the block's MIDI. A newer
        change of the same parameter replaces it. False only for more parameters than reserved. */
    bool addHostChange(ParamID id, ParamValue value);

    /** The block's note events as they were added (after prepare(), in time order). */
    EventList& events() { return notes; }

    /** Renders a block of `length` samples in pieces of at most maxPiece samples: for each piece,
        pieceEvents and pieceChanges are filled and render(start, length) is called, which answers
        whether to go on. Events the pieces could not take stay for the next block. */
    template <typename Render>
    void renderPieces(int32 length, int32 maxPiece, EventList& pieceEvents,
                      ParameterChanges& pieceChanges, Render&& render)
    {
        prepare(length);
        for (int32 start = 0; start < length;)
        {
            const int32 piece =
                nextPiece(start, std::min(std::max(maxPiece, 1), length - start), pieceEvents);
            changesIn(start, piece, pieceChanges);
            if (!render(start, piece)) break;
            start += piece;
        }
        finishBlock();
    }

    /** Before the pieces: moves every offset into [0, length - 1] (hosts are not trusted to stay
        inside the block) and puts the note events in time order, keeping the order of events
        at the same sample. */
    void prepare(int32 length);
    /** The piece that starts at `start`: its length, at most maxLength, shorter where the note
        events due before its end would not fit into `piece`, which then holds them (offsets
        relative to the piece). When more events fall on one sample than a piece takes, the rest
        follow one sample later. */
    int32 nextPiece(int32 start, int32 maxLength, EventList& piece);
    /** The changes whose offsets lie in [start, start + length), offsets relative to start;
        the host's changes with the first piece. */
    void changesIn(int32 start, int32 length, ParameterChanges& out) const;
    /** After the last piece: what no piece took (events on the block's last samples beyond a
        piece's room, or after a piece that ended the rendering) stays for the next block, at
        its first sample; everything else goes. */
    void finishBlock();

private:
    struct TimedChange
    {
        ParamID id;
        int32 offset;
        ParamValue value;
    };

    void sortNotes();

    EventList notes;
    std::vector<Event> sorting; // the merge sort's other half
    int32 delivered = 0;        // notes handed to pieces so far
    int32 maxMidiChanges;
    FixedStore<TimedChange> midiChanges;
    FixedStore<TimedChange> hostChanges{0};
};

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
