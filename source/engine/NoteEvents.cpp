// SPDX-License-Identifier: GPL-3.0-or-later
#include "NoteEvents.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

int32 midiVelocity(float velocity)
{
    if (!(velocity > 0.0f)) // also NaN
        return 0;
    if (velocity > 1.0f) velocity = 1.0f;
    return static_cast<int32>(velocity * 127.0f);
}

NoteEventWriter::NoteEventWriter(EngineState& engine) : buffer(engine.eventBuffer)
{
    buffer[0] = kEventTerminator;
}

void NoteEventWriter::addNoteOn(int32 sampleOffset, int32 note, float velocity, int32 noteId)
{
    append(sampleOffset, note, midiVelocity(velocity), noteId);
}

void NoteEventWriter::addNoteOff(int32 sampleOffset, int32 note, int32 noteId)
{
    append(sampleOffset, note, 0, noteId);
}

void NoteEventWriter::append(int32 sampleOffset, int32 note, int32 velocity, int32 noteId)
{
    if (note < 0 || note > 127 || records >= kMaxBlockEvents) return;
    int32* record = buffer + records * kEventRecordSize;
    record[0] = sampleOffset;
    record[1] = note;
    record[2] = velocity;
    record[3] = noteId;
    ++records;
    record[kEventRecordSize] = kEventTerminator;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
