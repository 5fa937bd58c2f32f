// SPDX-License-Identifier: GPL-3.0-or-later
// Hands a MIDI file to the plug-in block by block as a host does: notes as note events at their
// sample offsets, controllers, channel aftertouch and pitch bend through the controller's MIDI
// mapping as parameter changes, mirrored into the controller. "All sound off" (controller 120) and
// "all notes off" (123) end, at their sample, each key of their channel that is down.
#pragma once

#include "EventList.h"
#include "MidiFile.h"
#include "ParameterChanges.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <array>
#include <bitset>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {

class MidiDelivery
{
public:
    /** Both may be null (a plug-in without a MIDI mapping then hears notes only). The capacities
        are those of the lists that fill() is given. */
    MidiDelivery(IMidiMapping* mapping, IEditController* controller, int32 eventCapacity,
                 int32 pointsPerQueue);

    /** Places the file's messages on the sample grid of this rate and starts from the top, with
        no key down. The file is read as it is handed out, so it must outlive the delivery. */
    void schedule(const MidiFile& file, double sampleRate);

    /** Adds the messages of the block [start, start + length) to the lists and returns the length
        the block must have: shorter than asked when the lists cannot take all its messages, so the
        rest arrives in the next block. Never shorter than one sample; messages that do not fit
        even then arrive at the next block's first sample. Nothing is dropped. */
    int32 fill(int64 start, int32 length, Host::EventList& events, Host::ParameterChanges& changes);

    /** True when every message has been handed out. */
    bool finished() const { return !messages || next >= messages->size(); }

    /** How many different parameters the mapping drives. */
    int32 targetCount() const;

    /** The parameter a controller number drives on a channel, or kNoParamId. */
    ParamID assignment(int channel, int controllerNumber) const;

private:
    /** The keys that are down, per channel: a note-on without its note-off yet. */
    using KeysDown = std::array<std::bitset<128>, 16>;

    int64 positionOf(const MidiFile::Message& message) const;
    /** The note events a message becomes, given the keys down, which it then updates. */
    static int32 noteEventCount(const MidiFile::Message& message, KeysDown& keys);
    /** The parameter change a message stands for; false for notes and unmapped messages. */
    bool parameterChange(const MidiFile::Message& message, ParamID& id, ParamValue& value) const;
    /** Note-offs for at most limit keys down on a channel, lowest key first. */
    void releaseKeys(int channel, int32 offset, int32 limit, Host::EventList& events);

    std::vector<ParamID> assignments; // [channel * kCountCtrlNumber + number]
    IEditController* controller;
    int32 eventCapacity;
    int32 pointsPerQueue;
    const std::vector<MidiFile::Message>* messages = nullptr;
    double sampleRate = 0.0;
    size_t next = 0;
    KeysDown down;
};

} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
