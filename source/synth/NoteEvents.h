// SPDX-License-Identifier: GPL-3.0-or-later
// The block's note events as the renderer reads them: records of (sample offset, note,
// velocity 0..127 with 0 = note-off, note identifier) in arrival order, ended by a record that
// holds only the terminator offset. A block keeps its first kMaxBlockEvents events.
#pragma once

#include "EngineState.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

/** Fills the event buffer for one block. The buffer is valid (terminated) after every call;
    events that do not fit and events outside the MIDI note range are dropped. */
class NoteEventWriter
{
public:
    /** Starts a block that holds the first keptRecords records already in the buffer (events
        kept from blocks that were not rendered) and nothing else. */
    explicit NoteEventWriter(EngineState& engine, int32_t keptRecords = 0);

    /** velocity is the host's 0..1 value: NaN counts as 0 and values outside are clamped. A
        velocity that truncates to 0 on the 0..127 scale makes the event a note-off. */
    void addNoteOn(int32_t sampleOffset, int32_t note, float velocity, int32_t noteId);
    void addNoteOff(int32_t sampleOffset, int32_t note, int32_t noteId);

    int32_t count() const { return records; }

private:
    void append(int32_t sampleOffset, int32_t note, int32_t velocity, int32_t noteId);

    int32_t* buffer;
    int32_t records = 0;
};

/** For a block whose events were not rendered: keeps its records for the start of the next
    rendered block, at sample offset 0 and in order. With keepNoteOns false (the block's time
    passed unheard) only the note-offs are kept, one per note, so that a key released meanwhile
    never hangs. Returns the number of records kept; the buffer is terminated after them. */
int32_t keepUnplayedEvents(EngineState& engine, bool keepNoteOns);

/** The host's 0..1 note-on velocity on the 0..127 scale, truncated. */
int32_t midiVelocity(float velocity);

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
