// SPDX-License-Identifier: GPL-3.0-or-later
// A phrase through the VST 3 interfaces as the hosting kit delivers it, the reference the other
// formats' entries are compared with: MIDI through the controller's mapping, host changes, and
// blocks larger than the set-up maximum handed over in pieces of that maximum. The output is
// kept interleaved.
#pragma once

#include "ProcessBuffers.h"

#include "BlockInput.h"
#include "EventList.h"
#include "MidiTranslator.h"
#include "ParameterChanges.h"
#include "PluginInstance.h"

#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

class KitPhrase
{
public:
    KitPhrase(Hosting::PluginInstance& instance, int32 maxBlock)
        : instance(instance), maxBlock(maxBlock), buffers(maxBlock)
    {
        midi.readMapping(instance.midiMapping());
        block.reserveParameters(static_cast<int32>(instance.parameters().size()));
    }

    void midiMessage(int32 offset, const uint8 bytes[3]) { midi.translate(offset, bytes, block); }
    void change(ParamID id, ParamValue value) { block.addHostChange(id, value); }
    /** Renders `frames` with what was given since the last call, appended to out. */
    void render(int32 frames)
    {
        block.renderPieces(frames, maxBlock, events, changes, [&](int32, int32 length) {
            instance.process(buffers.prepare(length, &changes, &events));
            for (int32 i = 0; i < length; ++i)
            {
                out.push_back(buffers.channel(0)[i]);
                out.push_back(buffers.channel(1)[i]);
            }
            return true;
        });
    }

    std::vector<float> out;

private:
    Hosting::PluginInstance& instance;
    int32 maxBlock;
    Hosting::MidiTranslator midi;
    Hosting::BlockInput block;
    Host::ProcessBuffers buffers;
    Hosting::EventList events;
    Hosting::ParameterChanges changes;
};

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
