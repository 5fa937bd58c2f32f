// SPDX-License-Identifier: GPL-3.0-or-later
// BaseProcessor: the generic processing frame for effects and instruments of this family.
//
// It owns the normalized parameter values, fixes the order of work inside each process call
// (parameters, recalc, events, audio, silence flags), implements bypass as pass-through with a
// one-block linear crossfade, keeps a stereo-only bus policy, writes and reads the state stream
// and tells the controller the sample rate on activation. It knows nothing about what a concrete
// processor renders.
#pragma once

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "public.sdk/source/vst/vstaudioeffect.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** Parameter ID of the bypass switch; not an entry of the value array. */
constexpr ParamID kBypassParamId = 0x62706173; // 'bpas'

/** Highest sample rate a setup may ask for. */
constexpr double kMaxSampleRate = 10.0e6;

/** Samples above this magnitude (about -77.6 dBFS) make a channel count as sounding. */
constexpr double kSilenceThreshold = 0.000132184039;

class BaseProcessor : public AudioEffect
{
public:
    BaseProcessor();
    ~BaseProcessor() override;

    //--- IComponent
    /** Activation sends "activated" with the sample rate to the connected controller. */
    tresult PLUGIN_API setActive(TBool state) SMTG_OVERRIDE;
    /** Reads count, values and bypass word; unreadable or invalid fields keep their values. */
    tresult PLUGIN_API setState(IBStream* state) SMTG_OVERRIDE;
    /** Writes count, the values and the bypass word, little-endian, packed. */
    tresult PLUGIN_API getState(IBStream* state) SMTG_OVERRIDE;

    //--- IAudioProcessor
    /** Accepts no inputs or exactly two speakers on the first input and on the first output. */
    tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                          SpeakerArrangement* outputs, int32 numOuts) SMTG_OVERRIDE;
    /** Sizes the crossfade buffers for the largest block the host will send. */
    tresult PLUGIN_API setupProcessing(ProcessSetup& setup) SMTG_OVERRIDE;
    /** One block: parameter changes, recalc, events, then audio or bypass. Always kResultOk. */
    tresult PLUGIN_API process(ProcessData& data) SMTG_OVERRIDE;

protected:
    /** Renders data.numSamples (at least 1) samples into channels 0 and 1 of output bus 0,
        assigning every sample. Called after this block's parameters, recalc and events. */
    virtual void processAudio(ProcessData& data) = 0;
    /** Fills the outputs while bypassed or crossfading; returns whether it did. */
    virtual bool processBypass(ProcessData& data);
    /** Takes the block's events (the list may be null). */
    virtual void processEvents(IEventList* events);
    /** Flags every channel whose samples 0, 10, 20, ... are all at or below the threshold. */
    virtual void updateSilenceFlags(ProcessData& data);
    /** Switches bypass; a change arms a one-block crossfade. The offset is ignored. */
    virtual void setBypass(bool state, int32 sampleOffset);
    /** Applies the last point of each queue; returns whether any queue came. */
    virtual bool processParameterChanges(IParameterChanges* changes);
    /** Stores a value (already checked to be within 0..1) for an ID below paramCount. */
    virtual void setParameter(ParamID id, ParamValue value, int32 sampleOffset);
    /** Allocates the value array once. */
    virtual void allocParameters(uint32 count);
    /** Derives working values from paramValues; runs outside processAudio, at most once a block. */
    virtual void recalc();

    /** Whether output bus 0 carries two usable channel buffers. */
    static bool hasStereoOutput(const ProcessData& data);

    ParamValue* paramValues = nullptr;
    uint32 paramCount = 0;
    int32 bypassFade = 0;
    float* fadeBufferL = nullptr;
    float* fadeBufferR = nullptr;
    bool bypass = false;
    /** Samples each fade buffer holds. */
    int32 fadeBufferSize = 0;

private:
    void renderCrossfade(ProcessData& data);
    void passThrough(ProcessData& data);
    void freeFadeBuffers();
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
