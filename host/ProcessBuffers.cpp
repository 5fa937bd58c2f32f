// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProcessBuffers.h"

#include <algorithm>

namespace Steinberg::Vst::Tarvik::Host {

ProcessBuffers::ProcessBuffers(int32 maxSamplesPerBlock, int32 outputChannels)
    : maxSamplesPerBlock(std::max<int32>(1, maxSamplesPerBlock))
{
    const auto channels = static_cast<size_t>(std::max<int32>(0, outputChannels));
    storage.assign(channels, std::vector<float>(static_cast<size_t>(this->maxSamplesPerBlock)));
    for (auto& buffer : storage)
        channelPointers.push_back(buffer.data());

    outputBus.numChannels = static_cast<int32>(channels);
    outputBus.channelBuffers32 = channelPointers.data();
    processData.processMode = kRealtime;
    processData.symbolicSampleSize = kSample32;
    processData.numOutputs = 1;
    processData.outputs = &outputBus;
}

ProcessData& ProcessBuffers::prepare(int32 numSamples, IParameterChanges* changes,
                                     IEventList* events, ProcessContext* context)
{
    processData.numSamples = std::min(numSamples, maxSamplesPerBlock);
    processData.inputParameterChanges = changes;
    processData.inputEvents = events;
    processData.processContext = context;
    outputBus.silenceFlags = 0;
    return processData;
}

void ProcessBuffers::fill(float value)
{
    for (auto& buffer : storage)
        std::fill(buffer.begin(), buffer.end(), value);
}

} // namespace Steinberg::Vst::Tarvik::Host
