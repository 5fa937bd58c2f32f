// SPDX-License-Identifier: GPL-3.0-or-later
#include "public.sdk/source/vst/vstaudioeffect.h"

namespace Steinberg {
namespace Vst {

AudioEffect::AudioEffect()
{
    processSetup.maxSamplesPerBlock = 1024;
    processSetup.processMode = kRealtime;
    processSetup.sampleRate = 44100.0;
    processSetup.symbolicSampleSize = kSample32;
}

namespace {

template <typename BusClass>
BusClass* busAt(BusList& list, int32 index)
{
    if (index < 0 || index >= static_cast<int32>(list.size())) return nullptr;
    return FCast<BusClass>(list.at(static_cast<size_t>(index)));
}

template <typename BusClass>
BusClass* append(BusList& list, BusClass* bus)
{
    list.push_back(IPtr<Vst::Bus>(bus, false));
    return bus;
}

} // namespace

AudioBus* AudioEffect::addAudioInput(const TChar* name, SpeakerArrangement arr, BusType busType,
                                     int32 flags)
{
    return append(audioInputs, new AudioBus(name, busType, flags, arr));
}

AudioBus* AudioEffect::addAudioOutput(const TChar* name, SpeakerArrangement arr, BusType busType,
                                      int32 flags)
{
    return append(audioOutputs, new AudioBus(name, busType, flags, arr));
}

AudioBus* AudioEffect::getAudioInput(int32 index)
{
    return busAt<AudioBus>(audioInputs, index);
}

AudioBus* AudioEffect::getAudioOutput(int32 index)
{
    return busAt<AudioBus>(audioOutputs, index);
}

EventBus* AudioEffect::addEventInput(const TChar* name, int32 channels, BusType busType,
                                     int32 flags)
{
    return append(eventInputs, new EventBus(name, busType, flags, channels));
}

EventBus* AudioEffect::addEventOutput(const TChar* name, int32 channels, BusType busType,
                                      int32 flags)
{
    return append(eventOutputs, new EventBus(name, busType, flags, channels));
}

EventBus* AudioEffect::getEventInput(int32 index)
{
    return busAt<EventBus>(eventInputs, index);
}

EventBus* AudioEffect::getEventOutput(int32 index)
{
    return busAt<EventBus>(eventOutputs, index);
}

tresult PLUGIN_API AudioEffect::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                   SpeakerArrangement* outputs, int32 numOuts)
{
    if (numIns < 0 || numOuts < 0) return kInvalidArgument;
    if (numIns > static_cast<int32>(audioInputs.size()) ||
        numOuts > static_cast<int32>(audioOutputs.size()))
        return kResultFalse;
    if ((numIns > 0 && !inputs) || (numOuts > 0 && !outputs)) return kInvalidArgument;

    for (int32 i = 0; i < static_cast<int32>(audioInputs.size()); ++i)
    {
        if (i >= numIns) break;
        if (auto* bus = FCast<AudioBus>(audioInputs.at(static_cast<size_t>(i))))
            bus->setArrangement(inputs[i]);
    }
    for (int32 i = 0; i < static_cast<int32>(audioOutputs.size()); ++i)
    {
        if (i >= numOuts) break;
        if (auto* bus = FCast<AudioBus>(audioOutputs.at(static_cast<size_t>(i))))
            bus->setArrangement(outputs[i]);
    }
    return kResultTrue;
}

tresult PLUGIN_API AudioEffect::getBusArrangement(BusDirection dir, int32 index,
                                                  SpeakerArrangement& arr)
{
    BusList* list = getBusList(kAudio, dir);
    if (!list || index < 0 || index >= static_cast<int32>(list->size())) return kInvalidArgument;
    if (auto* bus = FCast<AudioBus>(list->at(static_cast<size_t>(index))))
    {
        arr = bus->getArrangement();
        return kResultTrue;
    }
    return kResultFalse;
}

tresult PLUGIN_API AudioEffect::canProcessSampleSize(int32 symbolicSampleSize)
{
    return symbolicSampleSize == kSample32 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API AudioEffect::setupProcessing(ProcessSetup& setup)
{
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue) return kResultFalse;
    processSetup = setup;
    return kResultOk;
}

} // namespace Vst
} // namespace Steinberg
