// SPDX-License-Identifier: GPL-3.0-or-later
#include "NoteEvents.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

int32_t midiVelocity(float velocity)
{
    if (!(velocity > 0.0f)) // also NaN
        return 0;
    if (velocity > 1.0f) velocity = 1.0f;
    return static_cast<int32_t>(velocity * 127.0f);
}

NoteEventWriter::NoteEventWriter(EngineState& engine, int32_t keptRecords)
    : buffer(engine.eventBuffer), records(keptRecords)
{
    buffer[records * kEventRecordSize] = kEventTerminator;
}

int32_t keepUnplayedEvents(EngineState& engine, bool keepNoteOns)
{
    int32_t* buffer = engine.eventBuffer;
    int32_t kept = 0;
    for (int32_t i = 0; i < kMaxBlockEvents && buffer[i * kEventRecordSize] != kEventTerminator;
         ++i)
    {
        const int32_t* record = buffer + i * kEventRecordSize;
        const bool noteOff = record[2] == 0;
        if (!noteOff && !keepNoteOns) continue;
        if (!keepNoteOns)
        {
            bool repeated = false;
            for (int32_t k = 0; k < kept && !repeated; ++k)
                repeated = buffer[k * kEventRecordSize + 1] == record[1];
            if (repeated) continue;
        }
        int32_t* into = buffer + kept * kEventRecordSize;
        into[0] = 0;
        into[1] = record[1];
        into[2] = record[2];
        into[3] = record[3];
        ++kept;
    }
    buffer[kept * kEventRecordSize] = kEventTerminator;
    return kept;
}

void NoteEventWriter::addNoteOn(int32_t sampleOffset, int32_t note, float velocity, int32_t noteId)
{
    append(sampleOffset, note, midiVelocity(velocity), noteId);
}

void NoteEventWriter::addNoteOff(int32_t sampleOffset, int32_t note, int32_t noteId)
{
    append(sampleOffset, note, 0, noteId);
}

void NoteEventWriter::append(int32_t sampleOffset, int32_t note, int32_t velocity, int32_t noteId)
{
    if (note < 0 || note > 127 || records >= kMaxBlockEvents) return;
    int32_t* record = buffer + records * kEventRecordSize;
    record[0] = sampleOffset;
    record[1] = note;
    record[2] = velocity;
    record[3] = noteId;
    ++records;
    record[kEventRecordSize] = kEventTerminator;
}

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
