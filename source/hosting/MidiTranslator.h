// SPDX-License-Identifier: GPL-3.0-or-later
// MidiTranslator: turns MIDI channel messages into what a VST 3 processor understands: notes into
// note events, controllers, channel aftertouch and pitch bend into parameter changes through the
// controller's MIDI mapping, and all-notes-off / all-sound-off into a note-off for every key of
// the message's channel that is down: the translator follows which keys are down, so that a panic
// on all 16 channels costs one note-off per key held, not 128 per message. Everything keeps its
// sample offset. Program changes and the parameter changes made go to a listener where there is
// one. Running status, system messages and polyphonic pressure are skipped.
#pragma once

#include "BlockInput.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <array>
#include <bitset>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

class MidiTranslator
{
public:
    static constexpr int kChannels = 16;

    /** Hears what the messages did beyond note events; called on the translating thread. */
    class Listener
    {
    public:
        /** A program change to `program` (0..127). */
        virtual void programChange(int /*program*/) {}
        /** A parameter change the block took. */
        virtual void parameterChange(ParamID /*id*/, ParamValue /*value*/) {}

    protected:
        ~Listener() = default;
    };

    MidiTranslator() { assignments.fill(kNoParamId); }

    /** Who hears program and parameter changes; null (the default) nobody. Before translating. */
    void setListener(Listener* target) { listener = target; }

    /** Reads the mapping once (it is fixed after the controller's initialisation); null maps
        nothing. UI thread, before processing starts. */
    void readMapping(IMidiMapping* mapping);

    /** The parameter a controller number drives on a channel, or kNoParamId. */
    ParamID assignment(int channel, int controllerNumber) const;
    /** How many different parameters the mapping drives. */
    int32 targetCount() const;

    /** Forgets which keys are down. */
    void releaseAllKeys();

    /** Adds what one message of up to three bytes makes to the block; false when the block could
        not take all of it (a key it could not release stays down, so the message may be given
        again). Audio thread: allocates nothing. */
    bool translate(int32 sampleOffset, const uint8 bytes[3], BlockInput& block);

private:
    static constexpr int kKeys = 128;

    /** Releases every key down on the channel; false when some did not fit. */
    bool releaseKeys(int32 offset, int16 channel, BlockInput& block);

    std::array<ParamID, kChannels * kCountCtrlNumber> assignments;
    Listener* listener = nullptr;
    // Keys that had a note-on the block took and no note-off since.
    std::array<std::bitset<kKeys>, kChannels> keysDown{};
};

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
