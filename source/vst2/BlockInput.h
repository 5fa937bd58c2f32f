// SPDX-License-Identifier: GPL-3.0-or-later
// BlockInput: what the host hands over for the next processReplacing call, note events and
// timed parameter changes, kept in storage reserved up front so the audio thread never
// allocates. The block is rendered in pieces: each piece gets its own changes, and its own note
// events, never more than the instrument takes in one process call, so that a busy block is
// split where the room runs out instead of losing what does not fit.
#pragma once

#include "BlockParameterChanges.h"

#include "pluginterfaces/vst/ivstevents.h"

#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class BlockInput : public IEventList
{
public:
    /** Note events one block holds: a panic that releases every key of all 16 channels, and
        6144 notes besides. */
    static constexpr int32 kMaxEvents = 8192;
    /** Controller moves one block holds; past them each parameter's newest move replaces its
        previous one, so that no parameter misses its last value. */
    static constexpr int32 kMaxMidiChanges = 1024;
    /** Note events one piece carries at most: what the instrument takes in one process call. */
    static constexpr int32 kMaxPieceEvents = 512;

    /** The note events of one piece, offsets relative to the piece's first sample. */
    class Piece : public IEventList
    {
    public:
        virtual ~Piece() = default;
        int32 PLUGIN_API getEventCount() SMTG_OVERRIDE { return count; }
        tresult PLUGIN_API getEvent(int32 index, Event& e) SMTG_OVERRIDE;
        tresult PLUGIN_API addEvent(Event& /*e*/) SMTG_OVERRIDE { return kResultFalse; }

        tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;
        uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
        uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

    private:
        friend class BlockInput;
        const BlockInput* input = nullptr;
        int32 first = 0;
        int32 count = 0;
        int32 start = 0;
    };

    BlockInput();
    virtual ~BlockInput() = default;

    /** Room for the host's changes of `count` parameters, and for a controller move of each of
        them however many moves came before. UI thread, before processing starts. */
    void reserveParameters(int32 count);

    /** Forgets everything, also events kept from the last block. */
    void clear();
    /** False when the block already holds kMaxEvents events; the event is then not taken. */
    bool addNoteOn(int32 sampleOffset, int16 channel, int16 pitch, float velocity);
    bool addNoteOff(int32 sampleOffset, int16 channel, int16 pitch, float velocity);
    /** A move of the block's MIDI; see kMaxMidiChanges. False only for more parameters than
        reserved. */
    bool addMidiChange(ParamID id, int32 sampleOffset, ParamValue value);
    /** A change the host made before the block: it comes ahead of the block's MIDI. A newer
        change of the same parameter replaces it. False only for more parameters than reserved. */
    bool addHostChange(ParamID id, ParamValue value);

    /** Before the pieces: moves every offset into [0, length - 1] (hosts are not trusted to stay
        inside the block) and puts the note events in time order, keeping the order of events
        at the same sample. */
    void prepare(int32 length);
    /** The piece that starts at `start`: its length, at most maxLength, shorter where the note
        events due before its end would not fit; piece then hands out its events. When more
        events fall on one sample than a piece takes, the rest follow one sample later. */
    int32 nextPiece(int32 start, int32 maxLength, Piece& piece);
    /** The changes whose offsets lie in [start, start + length), offsets relative to start;
        the host's changes with the first piece. */
    void changesIn(int32 start, int32 length, BlockParameterChanges& out) const;
    /** After the last piece: what no piece took (events on the block's last samples beyond a
        piece's room) stays for the next block, at its first sample; everything else goes. */
    void finishBlock();

    /** The block's note events as they were added (the whole block, not a piece). */
    int32 PLUGIN_API getEventCount() SMTG_OVERRIDE { return noteCount; }
    tresult PLUGIN_API getEvent(int32 index, Event& e) SMTG_OVERRIDE;
    tresult PLUGIN_API addEvent(Event& e) SMTG_OVERRIDE;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

private:
    struct Note
    {
        int32 offset;
        float velocity;
        int16 channel;
        int16 pitch;
        bool on;
    };
    struct TimedChange
    {
        ParamID id;
        int32 offset;
        ParamValue value;
    };

    bool addNote(const Note& note);
    void sortNotes();
    static void toEvent(const Note& note, int32 offset, Event& e);

    std::vector<Note> notes;   // kMaxEvents
    std::vector<Note> sorting; // the merge sort's other half
    int32 noteCount = 0;
    int32 delivered = 0; // notes handed to pieces so far
    std::vector<TimedChange> midiChanges;
    int32 midiChangeCount = 0;
    std::vector<TimedChange> hostChanges;
    int32 hostChangeCount = 0;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
