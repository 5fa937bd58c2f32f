// SPDX-License-Identifier: GPL-3.0-or-later
// Hands a MIDI file to the plug-in block by block as a host does: each message at its sample,
// translated by the hosting kit (notes as note events, controllers, channel aftertouch and pitch
// bend through the controller's MIDI mapping as parameter changes, "all sound off" and "all notes
// off" as the release of each key of their channel that is down), and every parameter change
// mirrored into the controller.
#pragma once

#include "MidiFile.h"

#include "BlockInput.h"
#include "MidiTranslator.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <vector>

namespace Steinberg::Vst::Tarvik::Render {

class MidiDelivery : private Hosting::MidiTranslator::Listener
{
public:
    /** Both may be null (a plug-in without a MIDI mapping then hears notes only). */
    MidiDelivery(IMidiMapping* mapping, IEditController* controller);
    MidiDelivery(const MidiDelivery&) = delete;
    MidiDelivery& operator=(const MidiDelivery&) = delete;

    /** Places the file's messages on the sample grid of this rate and starts from the top, with
        no key down. The file is read as it is handed out, so it must outlive the delivery. */
    void schedule(const MidiFile& file, double sampleRate);

    /** Adds the messages due before start + length to the block, at their offsets from start.
        A message the block cannot take stays, and comes first at the next block's first sample:
        nothing is dropped. */
    void fill(int64 start, int32 length, Hosting::BlockInput& block);

    /** True when every message has been handed out. */
    bool finished() const { return !messages || next >= messages->size(); }

    /** How many different parameters the mapping drives. */
    int32 targetCount() const { return translator.targetCount(); }

private:
    void parameterChange(ParamID id, ParamValue value) SMTG_OVERRIDE;

    Hosting::MidiTranslator translator;
    IEditController* controller;
    const std::vector<MidiFile::Message>* messages = nullptr;
    double sampleRate = 0.0;
    size_t next = 0;
};

} // namespace Steinberg::Vst::Tarvik::Render
