// SPDX-License-Identifier: GPL-3.0-or-later
#include "BaseProcessor.h"

#include "EventWindow.h"
#include "StreamIO.h"

#include "base/source/fobject.h"
#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

bool isValidNormalized(double value)
{
    return value >= 0.0 && value <= 1.0; // false for NaN
}

uint64 channelBit(int32 channel)
{
    return channel < 64 ? (uint64(1) << channel) : 0;
}

} // namespace

BaseProcessor::BaseProcessor() = default;

BaseProcessor::~BaseProcessor()
{
    freeFadeBuffers();
    delete[] paramValues;
}

void BaseProcessor::freeFadeBuffers()
{
    std::free(fadeBufferL);
    std::free(fadeBufferR);
    fadeBufferL = nullptr;
    fadeBufferR = nullptr;
    fadeBufferSize = 0;
}

void BaseProcessor::allocParameters(uint32 count)
{
    if (paramValues) return;
    paramCount = count;
    paramValues = new ParamValue[count]();
    // Every slot of the handover gets its room here, so the audio thread only copies.
    StateSnapshot empty;
    empty.values.assign(count, 0.0);
    incomingState.reset(empty);
    publishedState.reset(empty);
    lastSetState = empty;
    uiScratch = empty;
}

void BaseProcessor::recalc() {}

void BaseProcessor::processEvents(IEventList* /*events*/) {}

void BaseProcessor::eventsNotRendered(bool /*deferred*/) {}

void BaseProcessor::setParameter(ParamID id, ParamValue value, int32 /*sampleOffset*/)
{
    if (id < paramCount) paramValues[id] = value;
}

void BaseProcessor::setBypass(bool state, int32 /*sampleOffset*/)
{
    if (state == bypass) return;
    bypass = state;
    bypassFade = state ? 1 : -1;
}

tresult PLUGIN_API BaseProcessor::setActive(TBool state)
{
    // Activation never overlaps process, so the audio thread is stopped here: a state it has
    // not taken yet is applied now, and on activation the values in use are what getState
    // reads until the audio thread publishes newer ones.
    if (incomingState.take())
    {
        applyState(incomingState.readSlot());
        recalc();
    }
    active = state != 0;
    if (state)
    {
        StateSnapshot& now = uiScratch;
        std::copy(paramValues, paramValues + paramCount, now.values.begin());
        now.bypass = bypass;
        now.generation = setGeneration;
        publishedState.reset(now);
        appliedGeneration = setGeneration;

        if (IPtr<IMessage> message = owned(allocateMessage()))
        {
            message->setMessageID("activated");
            if (IAttributeList* attributes = message->getAttributes())
                attributes->setFloat("SampleRate", processSetup.sampleRate);
            sendMessage(message);
        }
    }
    return AudioEffect::setActive(state);
}

const BaseProcessor::StateSnapshot& BaseProcessor::currentState()
{
    if (!active)
    {
        std::copy(paramValues, paramValues + paramCount, uiScratch.values.begin());
        uiScratch.bypass = bypass;
        return uiScratch;
    }
    publishedState.take();
    const StateSnapshot& inUse = publishedState.readSlot();
    // Until the audio thread has applied the last state set, that state is the current one.
    return inUse.generation == setGeneration ? inUse : lastSetState;
}

tresult PLUGIN_API BaseProcessor::getState(IBStream* state)
{
    if (!state) return kInvalidArgument;
    const StateSnapshot& current = currentState();
    writeInt32LE(state, static_cast<int32>(paramCount));
    for (uint32 i = 0; i < paramCount; ++i)
        writeDoubleLE(state, current.values[i]);
    writeInt32LE(state, current.bypass ? 1 : 0);
    return kResultOk;
}

bool BaseProcessor::readState(IBStream* state, StateSnapshot& into) const
{
    // A stream is taken whole or not at all: a damaged preset or project must not leave the
    // sound half changed. It must hold every field its count announces.
    int32 storedCount = 0;
    if (!readInt32LE(state, storedCount) || storedCount <= 0) return false;
    // A state from a version with another number of values: the values both know are read,
    // the others skipped, so the bypass word is found where it was written.
    const uint32 stored = static_cast<uint32>(storedCount);
    const uint32 known = std::min(stored, paramCount);
    for (uint32 i = 0; i < known; ++i)
    {
        double value = 0.0;
        if (!readDoubleLE(state, value)) return false;
        // A value that is no setting (NaN, infinite, outside 0..1) keeps the previous one.
        if (isValidNormalized(value)) into.values[i] = value;
    }
    for (uint32 i = known; i < stored; ++i)
    {
        double skipped = 0.0;
        if (!readDoubleLE(state, skipped)) return false;
    }
    int32 bypassWord = 0;
    if (!readInt32LE(state, bypassWord)) return false;
    into.bypass = bypassWord != 0;
    return true;
}

void BaseProcessor::applyState(const StateSnapshot& snapshot)
{
    std::copy(snapshot.values.begin(), snapshot.values.end(), paramValues);
    bypass = snapshot.bypass; // no crossfade: the change takes effect at the next block
}

tresult PLUGIN_API BaseProcessor::setState(IBStream* state)
{
    if (!state) return kInvalidArgument;

    const StateSnapshot& current = currentState();
    if (!active)
    {
        StateSnapshot& parsed = uiScratch; // current is uiScratch here
        if (!readState(state, parsed)) return kResultFalse;
        applyState(parsed);
        recalc();
        return kResultOk;
    }

    // While audio runs the stream is parsed here, on top of the current state, and the
    // complete result is handed to the audio thread, which applies it at its next block. A
    // refused stream leaves the slot unpublished: the next state fills it anew.
    StateSnapshot& parsed = incomingState.writeSlot();
    parsed.values = current.values;
    parsed.bypass = current.bypass;
    if (!readState(state, parsed)) return kResultFalse;
    parsed.generation = ++setGeneration;
    lastSetState = parsed;
    incomingState.publish();
    return kResultOk;
}

bool BaseProcessor::takeIncomingState()
{
    if (!incomingState.take()) return false;
    const StateSnapshot& incoming = incomingState.readSlot();
    applyState(incoming);
    appliedGeneration = incoming.generation;
    return true;
}

void BaseProcessor::publishState()
{
    StateSnapshot& slot = publishedState.writeSlot();
    std::copy(paramValues, paramValues + paramCount, slot.values.begin());
    slot.bypass = bypass;
    slot.generation = appliedGeneration;
    publishedState.publish();
}

tresult PLUGIN_API BaseProcessor::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                     SpeakerArrangement* outputs, int32 numOuts)
{
    if (numIns != 0 && (!inputs || SpeakerArr::getChannelCount(inputs[0]) != 2))
        return kResultFalse;
    if (numOuts != 0 && (!outputs || SpeakerArr::getChannelCount(outputs[0]) != 2))
        return kResultFalse;
    return kResultTrue;
}

tresult PLUGIN_API BaseProcessor::setupProcessing(ProcessSetup& setup)
{
    // A setup that could not be processed is refused before anything is touched. Rates beyond
    // any audio interface's would drive the derived periods and rates out of range.
    if (!(setup.sampleRate >= kMinSampleRate && setup.sampleRate <= kMaxSampleRate) ||
        setup.maxSamplesPerBlock <= 0)
        return kResultFalse;

    freeFadeBuffers();
    const size_t bytes = static_cast<size_t>(setup.maxSamplesPerBlock) * sizeof(float);
    fadeBufferL = static_cast<float*>(std::malloc(bytes));
    fadeBufferR = static_cast<float*>(std::malloc(bytes));
    if (fadeBufferL && fadeBufferR)
        fadeBufferSize = setup.maxSamplesPerBlock;
    else
        freeFadeBuffers();

    return AudioEffect::setupProcessing(setup);
}

tresult PLUGIN_API BaseProcessor::process(ProcessData& data)
{
    // A state set since the last block and this block's changes lead to one recalc, so the
    // block sounds as if the state had been applied the moment it was set.
    const bool stateApplied = takeIncomingState();
    const bool parametersChanged = processParameterChanges(data.inputParameterChanges);
    if (stateApplied || parametersChanged)
    {
        recalc();
        publishState();
    }
    processEvents(data.inputEvents);

    audioRendered = false;
    if (data.numSamples > 0 && !processBypass(data) && hasStereoOutput(data))
    {
        renderAudio(data);
        updateSilenceFlags(data);
    }
    if (!audioRendered) eventsNotRendered(data.numSamples <= 0 && !bypass);
    return kResultOk;
}

void BaseProcessor::renderAudio(ProcessData& data)
{
    processAudio(data);
    audioRendered = true;
}

bool BaseProcessor::hasStereoOutput(const ProcessData& data)
{
    if (data.numOutputs < 1 || !data.outputs) return false;
    const AudioBusBuffers& bus = data.outputs[0];
    return bus.numChannels >= 2 && bus.channelBuffers32 && bus.channelBuffers32[0] &&
           bus.channelBuffers32[1];
}

bool BaseProcessor::processParameterChanges(IParameterChanges* changes)
{
    if (!changes) return false;
    const int32 count = changes->getParameterCount();
    if (count <= 0) return false;

    for (int32 i = 0; i < count; ++i)
    {
        IParamValueQueue* queue = changes->getParameterData(i);
        if (!queue) continue;
        const int32 points = queue->getPointCount();
        if (points <= 0) continue;
        int32 offset = 0;
        ParamValue value = 0.0;
        if (queue->getPoint(points - 1, offset, value) != kResultOk || std::isnan(value)) continue;
        value = std::min(1.0, std::max(0.0, value));

        const ParamID id = queue->getParameterId();
        if (id == kBypassParamId)
            setBypass(value >= 0.5, offset);
        else
            setParameter(id, value, offset);
    }
    return true;
}

bool BaseProcessor::processBypass(ProcessData& data)
{
    if (data.numSamples <= 0) return true;
    if (!bypass && bypassFade == 0) return false;

    if (bypassFade != 0)
    {
        renderCrossfade(data);
        if (data.numOutputs > 0 && data.outputs) data.outputs[0].silenceFlags = 0;
        bypassFade = 0;
        return true;
    }

    passThrough(data);
    return true;
}

void BaseProcessor::renderCrossfade(ProcessData& data)
{
    if (!hasStereoOutput(data)) return;

    const int32 n = data.numSamples;
    if (fadeBufferSize <= 0)
    {
        // No crossfade buffers (the host never set processing up): switch without a fade.
        renderAudio(data);
        return;
    }

    float** channels = data.outputs[0].channelBuffers32;
    float* const outputs[2] = {channels[0], channels[1]};
    float* const fades[2] = {fadeBufferL, fadeBufferR};
    const float step = 1.0f / static_cast<float>(n);

    // A block larger than the fade buffers is rendered in pieces that fit; each piece sees only
    // its own events. The weights are those of the whole block.
    const bool inPieces = n > fadeBufferSize;
    for (int32 start = 0; start < n; start += fadeBufferSize)
    {
        const int32 length = std::min(fadeBufferSize, n - start);
        ProcessData piece = data;
        piece.numSamples = length;
        if (inPieces)
        {
            EventWindow window(data.inputEvents, start, length);
            processEvents(&window);
        }

        channels[0] = fadeBufferL;
        channels[1] = fadeBufferR;
        renderAudio(piece);
        channels[0] = outputs[0];
        channels[1] = outputs[1];

        for (int c = 0; c < 2; ++c)
        {
            float* out = outputs[c] + start;
            const float* rendered = fades[c];
            for (int32 j = 0; j < length; ++j)
            {
                const int32 i = start + j;
                const float rising = static_cast<float>(i) * step;
                const float falling = static_cast<float>(n - i) * step;
                if (bypassFade > 0)
                    out[j] = falling * rendered[j] + rising * out[j];
                else
                    out[j] = rising * rendered[j] + falling * out[j];
            }
        }
    }
}

void BaseProcessor::passThrough(ProcessData& data)
{
    if (!data.outputs) return;
    const size_t bytes = sizeof(float) * static_cast<size_t>(data.numSamples);
    for (int32 j = 0; j < data.numOutputs; ++j)
    {
        AudioBus* bus = getAudioOutput(j);
        if (!bus || !bus->isActive()) continue;
        AudioBusBuffers& out = data.outputs[j];
        if (!out.channelBuffers32) continue;
        const int32 channelCount =
            std::min(out.numChannels, SpeakerArr::getChannelCount(bus->getArrangement()));
        const AudioBusBuffers* in = (data.inputs && j < data.numInputs) ? &data.inputs[j] : nullptr;

        for (int32 k = 0; k < channelCount; ++k)
        {
            float* dst = out.channelBuffers32[k];
            if (!dst) continue;
            const float* src = (in && k < in->numChannels && in->channelBuffers32)
                                   ? in->channelBuffers32[k]
                                   : nullptr;
            if (src)
            {
                if (src != dst) std::memcpy(dst, src, bytes);
                out.silenceFlags |= in->silenceFlags & channelBit(k);
            }
            else
            {
                std::memset(dst, 0, bytes);
                out.silenceFlags |= channelBit(k);
            }
        }
    }
}

void BaseProcessor::updateSilenceFlags(ProcessData& data)
{
    if (!data.outputs) return;
    for (int32 j = 0; j < data.numOutputs; ++j)
    {
        AudioBusBuffers& out = data.outputs[j];
        out.silenceFlags = 0;
        AudioBus* bus = getAudioOutput(j);
        if (!bus || !bus->isActive() || !out.channelBuffers32) continue;
        for (int32 k = 0; k < out.numChannels; ++k)
        {
            const float* samples = out.channelBuffers32[k];
            if (!samples) continue;
            bool silent = true;
            for (int32 i = 0; i < data.numSamples; i += 10)
            {
                if (std::fabs(static_cast<double>(samples[i])) > kSilenceThreshold)
                {
                    silent = false;
                    break;
                }
            }
            if (silent) out.silenceFlags |= channelBit(k);
        }
    }
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
