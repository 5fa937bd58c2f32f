// SPDX-License-Identifier: GPL-3.0-or-later
#include "BraskProcessor.h"

#include "BraskCids.h"

#include "pluginterfaces/base/ustring.h"

#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

const float kDefaultParamValues[kBraskParamCount] = {
    1.0f,  0.37f, 0.25f, 0.3f, 0.32f, 0.5f, 0.9f,  0.6f, 0.12f, 0.0f,  0.5f, 0.9f,
    0.89f, 0.9f,  0.73f, 0.0f, 0.5f,  1.0f, 0.71f, 0.81f, 0.65f, 0.0f, 0.5f, 0.5f,
};

BraskProcessor::BraskProcessor()
{
    setControllerClass(kBraskControllerUID);
    allocParameters(kBraskParamCount);
}

tresult PLUGIN_API BraskProcessor::initialize(FUnknown* context)
{
    const tresult result = AudioEffect::initialize(context);
    if (result != kResultOk)
        return result;

    addEventInput(STR16("MIDI in"), 1);
    addAudioOutput(STR16("Stereo Out"), SpeakerArr::kStereo);

    for (uint32 i = 0; i < kBraskParamCount; ++i)
        paramValues[i] = static_cast<double>(kDefaultParamValues[i]);

    recalc();
    return result;
}

tresult PLUGIN_API BraskProcessor::terminate()
{
    return AudioEffect::terminate();
}

tresult PLUGIN_API BraskProcessor::setActive(TBool state)
{
    if (state)
        recalc();
    return BaseProcessor::setActive(state);
}

void BraskProcessor::processAudio(ProcessData& data)
{
    const size_t bytes = sizeof(float) * static_cast<size_t>(data.numSamples);
    std::memset(data.outputs[0].channelBuffers32[0], 0, bytes);
    std::memset(data.outputs[0].channelBuffers32[1], 0, bytes);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
