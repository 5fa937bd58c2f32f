// SPDX-License-Identifier: GPL-3.0-or-later
// MidiTranslator: turns a VST 2 host's MIDI events into what the processor understands: notes
// into note events, controllers, channel aftertouch and pitch bend into parameter changes through
// the controller's MIDI mapping, and all-notes-off / all-sound-off into a note-off for every key.
// Everything keeps its sample offset. Running status, SysEx and unknown events are skipped.
#pragma once

#include "BlockInput.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <array>

struct fstEvents_;

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class MidiTranslator
{
public:
    static constexpr int kChannels = 16;

    MidiTranslator() { assignments.fill(kNoParamId); }

    /** Reads the mapping once (it is fixed after the controller's initialisation); null maps
        nothing. UI thread, before processing starts. */
    void readMapping(IMidiMapping* mapping);

    /** Audio thread. Null or malformed lists are skipped. */
    void translate(const fstEvents_* events, BlockInput& input) const;

    /** The parameter a controller number drives on a channel, or kNoParamId. */
    ParamID assignment(int channel, int controllerNumber) const;

private:
    void translateMessage(int32 offset, const unsigned char* bytes, BlockInput& input) const;

    std::array<ParamID, kChannels * kCountCtrlNumber> assignments;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
