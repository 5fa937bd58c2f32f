// SPDX-License-Identifier: GPL-3.0-or-later
// MidiTranslator: turns a VST 2 host's MIDI events into what the processor understands: notes
// into note events, controllers, channel aftertouch and pitch bend into parameter changes through
// the controller's MIDI mapping, and all-notes-off / all-sound-off into a note-off for every key
// of the message's channel that is down: the translator follows which keys are down, so that a
// panic on all 16 channels costs one note-off per key held, not 128 per message. Everything
// keeps its sample offset. Program changes go to whoever knows the programs. Running status,
// SysEx and unknown events are skipped.
#pragma once

#include "BlockInput.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <array>
#include <bitset>

struct fstEvents_;

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class MidiTranslator
{
public:
    static constexpr int kChannels = 16;

    /** Takes the program changes (audio thread). */
    class ProgramChanges
    {
    public:
        /** A change to `program` (0..127). */
        virtual void programChange(int program) = 0;

    protected:
        ~ProgramChanges() = default;
    };

    MidiTranslator() { assignments.fill(kNoParamId); }

    /** Where program changes go; null (the default) skips them. UI thread, before processing. */
    void setProgramChanges(ProgramChanges* target) { programs = target; }

    /** Reads the mapping once (it is fixed after the controller's initialisation); null maps
        nothing. UI thread, before processing starts. */
    void readMapping(IMidiMapping* mapping);

    /** Audio thread. Null or malformed lists are skipped. */
    void translate(const fstEvents_* events, BlockInput& input);

    /** The parameter a controller number drives on a channel, or kNoParamId. */
    ParamID assignment(int channel, int controllerNumber) const;

private:
    static constexpr int kKeys = 128;

    void translateMessage(int32 offset, const unsigned char* bytes, BlockInput& input);
    /** Releases every key down on the channel. */
    void releaseAll(int32 offset, int16 channel, BlockInput& input);

    std::array<ParamID, kChannels * kCountCtrlNumber> assignments;
    ProgramChanges* programs = nullptr;
    // Audio thread: keys that had a note-on the instrument took and no note-off since.
    std::array<std::bitset<kKeys>, kChannels> keysDown{};
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
