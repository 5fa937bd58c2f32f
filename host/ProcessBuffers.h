// SPDX-License-Identifier: GPL-3.0-or-later
// Output buffers and the ProcessData a host hands to process(): one stereo output bus, no inputs,
// 32-bit samples. Sized once; preparing a block never allocates.
#pragma once

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <vector>

namespace Steinberg::Vst::Tarvik::Host {

class ProcessBuffers
{
public:
    explicit ProcessBuffers(int32 maxSamplesPerBlock, int32 outputChannels = 2);

    /** Readies the process data for a block of numSamples (at most the maximum). The output
        buffers keep whatever they held, as a host's buffers do. */
    ProcessData& prepare(int32 numSamples, IParameterChanges* changes, IEventList* events,
                         ProcessContext* context = nullptr);

    ProcessData& data() { return processData; }
    float* channel(int32 index) { return channelPointers[static_cast<size_t>(index)]; }
    uint64 silenceFlags() const { return outputBus.silenceFlags; }
    int32 maxSamples() const { return maxSamplesPerBlock; }
    /** Fills every output sample with a value (to see what a block did not write). */
    void fill(float value);

private:
    int32 maxSamplesPerBlock;
    std::vector<std::vector<float>> storage;
    std::vector<float*> channelPointers;
    AudioBusBuffers outputBus{};
    ProcessData processData{};
};

} // namespace Steinberg::Vst::Tarvik::Host
