// SPDX-License-Identifier: GPL-3.0-or-later
#include "BraskProcessor.h"

#include "BlockRenderer.h"
#include "BraskCids.h"
#include "Envelope.h"
#include "NoteEvents.h"
#include "ParameterMapping.h"

#include "pluginterfaces/base/ustring.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

static_assert(kBraskParamCount == kSoundParamCount, "one value per sound parameter");

BraskProcessor::BraskProcessor()
{
    setControllerClass(kBraskControllerUID);
    allocParameters(kBraskParamCount);
    // Defined before initialize, so that an early state or process call finds sane values.
    Synth::resetEngine(engine);
    Synth::recalcEngine(engine, paramValues, processSetup.sampleRate);
}

tresult PLUGIN_API BraskProcessor::initialize(FUnknown* context)
{
    const tresult result = AudioEffect::initialize(context);
    if (result != kResultOk) return result;

    addEventInput(STR16("MIDI in"), 1);
    addAudioOutput(STR16("Stereo Out"), SpeakerArr::kStereo);

    for (uint32 i = 0; i < kBraskParamCount; ++i)
        paramValues[i] = static_cast<double>(kDefaultParamValues[i]);

    Synth::resetEngine(engine);
    recalc();
    return result;
}

tresult PLUGIN_API BraskProcessor::terminate()
{
    return AudioEffect::terminate();
}

tresult PLUGIN_API BraskProcessor::setActive(TBool state)
{
    // Hosts deactivate to reset (transport jumps, device restarts, a new sample rate): nothing
    // of the previous run may sound on, and the same material must render the same again.
    if (state)
    {
        Synth::restartEngine(engine);
        keptEvents = 0;
        recalc();
    }
    return BaseProcessor::setActive(state);
}

uint32 PLUGIN_API BraskProcessor::getTailSamples()
{
    return tailSamples.load(std::memory_order_relaxed);
}

void BraskProcessor::recalc()
{
    Synth::recalcEngine(engine, paramValues, processSetup.sampleRate);
    tailSamples.store(Synth::releaseSamples(engine.ampRelease), std::memory_order_relaxed);
}

void BraskProcessor::setParameter(ParamID id, ParamValue value, int32 sampleOffset)
{
    if (std::isnan(value)) return;
    value = std::min(1.0, std::max(0.0, value));
    if (id < kBraskParamCount)
        BaseProcessor::setParameter(id, value, sampleOffset);
    else
        Synth::applyControllerParameter(engine, id, value);
}

void BraskProcessor::processEvents(IEventList* events)
{
    if (!events) return;
    Synth::NoteEventWriter writer(engine, keptEvents);
    const int32 count = events->getEventCount();
    for (int32 i = 0; i < count; ++i)
    {
        Event event{};
        if (events->getEvent(i, event) != kResultOk) continue;
        switch (event.type)
        {
        case Event::kNoteOnEvent:
            writer.addNoteOn(event.sampleOffset, event.noteOn.pitch, event.noteOn.velocity,
                             event.noteOn.noteId);
            break;
        case Event::kNoteOffEvent:
            writer.addNoteOff(event.sampleOffset, event.noteOff.pitch, event.noteOff.noteId);
            break;
        default:
            break;
        }
    }
}

void BraskProcessor::processAudio(ProcessData& data)
{
    // The frame calls this only with two channel buffers on output bus 0.
    float** channels = data.outputs[0].channelBuffers32;
    Synth::renderBlock(engine, channels[0], channels[1], data.numSamples, renderPath);
    keptEvents = 0;
}

void BraskProcessor::eventsNotRendered(bool deferred)
{
    keptEvents = Synth::keepUnplayedEvents(engine, deferred);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
