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
    overflowingEvents = events;
    nextEvent = 0;
    takeEvents(0);
}

void BraskProcessor::takeEvents(int32 pieceStart)
{
    if (!overflowingEvents) return;
    IEventList* events = overflowingEvents;
    overflowingEvents = nullptr;
    Synth::NoteEventWriter writer(engine, pieceStart == 0 ? keptEvents : 0);
    const int32 count = events->getEventCount();
    for (; nextEvent < count; ++nextEvent)
    {
        Event event{};
        if (events->getEvent(nextEvent, event) != kResultOk) continue;
        if (event.type != Event::kNoteOnEvent && event.type != Event::kNoteOffEvent) continue;
        if (writer.count() >= Synth::kMaxBlockEvents)
        {
            // The rest waits for the next piece of the block.
            overflowingEvents = events;
            return;
        }
        const int32 offset = std::max(0, event.sampleOffset - pieceStart);
        if (event.type == Event::kNoteOnEvent)
            writer.addNoteOn(offset, event.noteOn.pitch, event.noteOn.velocity,
                             event.noteOn.noteId);
        else
            writer.addNoteOff(offset, event.noteOff.pitch, event.noteOff.noteId);
    }
}

void BraskProcessor::processAudio(ProcessData& data)
{
    // The frame calls this only with two channel buffers on output bus 0.
    float** channels = data.outputs[0].channelBuffers32;
    const int32 numSamples = data.numSamples;
    int32 start = 0;
    while (overflowingEvents)
    {
        // A piece ends just after the sample of the first event that did not fit, so every
        // event taken (the list is in time order) plays at its own sample; the next piece
        // starts with the waiting ones, at most one sample late.
        Event first{};
        if (overflowingEvents->getEvent(nextEvent, first) != kResultOk) break;
        const int32 end = std::max(start, first.sampleOffset) + 1;
        if (end >= numSamples) break;
        Synth::renderBlock(engine, channels[0] + start, channels[1] + start, end - start,
                           renderPath);
        keptEvents = 0;
        start = end;
        takeEvents(start);
    }
    Synth::renderBlock(engine, channels[0] + start, channels[1] + start, numSamples - start,
                       renderPath);
    keptEvents = 0;
    if (overflowingEvents) keepOverflowForNextBlock(numSamples);
}

void BraskProcessor::keepOverflowForNextBlock(int32 numSamples)
{
    // Events still waiting at the block's last sample play at the next block's first, as
    // events of a block without samples do. Events past the block's end stay unplayed, as
    // they always have.
    IEventList* events = overflowingEvents;
    overflowingEvents = nullptr;
    Synth::NoteEventWriter writer(engine);
    const int32 count = events->getEventCount();
    for (; nextEvent < count; ++nextEvent)
    {
        Event event{};
        if (events->getEvent(nextEvent, event) != kResultOk || event.sampleOffset >= numSamples)
            continue;
        if (event.type == Event::kNoteOnEvent)
            writer.addNoteOn(0, event.noteOn.pitch, event.noteOn.velocity, event.noteOn.noteId);
        else if (event.type == Event::kNoteOffEvent)
            writer.addNoteOff(0, event.noteOff.pitch, event.noteOff.noteId);
    }
    keptEvents = writer.count();
}

void BraskProcessor::eventsNotRendered(bool deferred)
{
    overflowingEvents = nullptr;
    keptEvents = Synth::keepUnplayedEvents(engine, deferred);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
