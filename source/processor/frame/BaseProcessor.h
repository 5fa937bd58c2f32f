// SPDX-License-Identifier: GPL-3.0-or-later
// BaseProcessor: the generic processing frame for effects and instruments of this family.
//
// It owns the normalized parameter values, fixes the order of work inside each process call
// (state handover, parameters, recalc, events, audio, silence flags), implements bypass as
// pass-through with a one-block linear crossfade, keeps a stereo-only bus policy, writes and
// reads the state stream and tells the controller the sample rate on activation. It knows
// nothing about what a concrete processor renders.
//
// Threading contract
// ------------------
// UI thread (the host's main thread): initialize, terminate, setBusArrangements,
//   setupProcessing, setActive, getState, setState, notify and every other IComponent call.
//   These never run at the same time as each other.
// Audio thread: process and everything it calls (processParameterChanges, setParameter,
//   setBypass, processEvents, processBypass, processAudio, eventsNotRendered,
//   updateSilenceFlags and recalc when a block brings changes). It never allocates, locks,
//   waits, logs or makes a system call.
// Between setActive(true) and setActive(false) the audio thread owns paramValues, bypass,
//   bypassFade and everything recalc writes; the UI thread does not touch them. Set-up,
//   activation and deactivation never overlap process (the VST 3 rule); the state calls may.
// What crosses, and how:
//   - setState while active parses the stream on the UI thread into a complete state (every
//     value and the bypass switch) and hands it over through a triple buffer; the audio thread
//     takes it at the start of its next block and applies it (values, bypass, then one recalc
//     together with that block's parameter changes). A newer state replaces one not yet taken.
//   - After every block that changed values or bypass, the audio thread publishes a copy of
//     them through a second triple buffer. getState while active writes that copy, or the
//     state last set if the audio thread has not taken it yet, so it always writes one
//     consistent state and a getState right after setState returns what was set.
//   - While not active, setState applies at once and getState reads the values directly.
//     setActive (either way) first applies a state that is still waiting.
//   Neither side ever waits for the other: a triple buffer is two atomic exchanges.
// Concrete processors: getTailSamples and other queries the host makes on the UI thread while
//   audio runs must read only values handed over atomically.
#pragma once

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "public.sdk/source/vst/vstaudioeffect.h"

#include "TripleBuffer.h"

#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** Parameter ID of the bypass switch; not an entry of the value array. */
constexpr ParamID kBypassParamId = 0x62706173; // 'bpas'

/** Lowest and highest sample rates a setup may ask for. */
constexpr double kMinSampleRate = 8000.0;
constexpr double kMaxSampleRate = 10.0e6;

/** Samples above this magnitude (about -77.6 dBFS) make a channel count as sounding. */
constexpr double kSilenceThreshold = 0.000132184039;

class BaseProcessor : public AudioEffect
{
public:
    BaseProcessor();
    ~BaseProcessor() override;

    //--- IComponent
    /** UI thread. Applies a state still waiting for the audio thread; activation then sends
        "activated" with the sample rate to the connected controller. */
    tresult PLUGIN_API setActive(TBool state) SMTG_OVERRIDE;
    /** UI thread, also while audio runs. Reads the count, min(count, paramCount) values
        (skipping any beyond) and the bypass word; values outside 0..1 keep the previous ones.
        A stream whose count is not positive or that ends before its bypass word is refused
        with kResultFalse and changes nothing. Applied at once while not active, else at the
        start of the next block. */
    tresult PLUGIN_API setState(IBStream* state) SMTG_OVERRIDE;
    /** UI thread, also while audio runs. Writes count, the values and the bypass word,
        little-endian, packed: one consistent state, the last one set if not yet applied. */
    tresult PLUGIN_API getState(IBStream* state) SMTG_OVERRIDE;

    //--- IAudioProcessor
    /** Accepts no inputs or exactly two speakers on the first input and on the first output. */
    tresult PLUGIN_API setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                          SpeakerArrangement* outputs, int32 numOuts) SMTG_OVERRIDE;
    /** Sizes the crossfade buffers for the largest block the host will send. Refuses rates
        outside kMinSampleRate..kMaxSampleRate. */
    tresult PLUGIN_API setupProcessing(ProcessSetup& setup) SMTG_OVERRIDE;
    /** Audio thread. One block: a handed-over state, parameter changes, recalc, events, then
        audio or bypass. Always kResultOk. */
    tresult PLUGIN_API process(ProcessData& data) SMTG_OVERRIDE;

protected:
    /** Renders data.numSamples (at least 1) samples into channels 0 and 1 of output bus 0,
        assigning every sample. Called after this block's parameters, recalc and events. */
    virtual void processAudio(ProcessData& data) = 0;
    /** Fills the outputs while bypassed or crossfading; returns whether it did. */
    virtual bool processBypass(ProcessData& data);
    /** Takes the block's events (the list may be null). */
    virtual void processEvents(IEventList* events);
    /** The events processEvents took were not rendered: the block had no samples and is not
        bypassed (deferred: they belong at the start of the next rendered block), or its time
        passed without processAudio (bypass, unusable output). */
    virtual void eventsNotRendered(bool deferred);
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
    /** Derives working values from paramValues; runs outside processAudio, at most once a block
        on the audio thread, or on the UI thread while not active. */
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
    /** Parameter values and bypass switch as one unit, for the handover between threads. */
    struct StateSnapshot
    {
        std::vector<ParamValue> values;
        bool bypass = false;
        /** Which setState it carries (or follows, when the audio thread publishes it). */
        uint32 generation = 0;
    };

    /** Parses a whole stream on top of `into`; false (and `into` half written) when refused. */
    bool readState(IBStream* state, StateSnapshot& into) const;
    /** UI thread: the state getState writes. */
    const StateSnapshot& currentState();
    void applyState(const StateSnapshot& snapshot);
    /** Audio thread: applies a state handed over since the last block; returns whether. */
    bool takeIncomingState();
    /** Audio thread: hands the values and bypass switch to the UI thread. */
    void publishState();
    void renderAudio(ProcessData& data);
    void renderCrossfade(ProcessData& data);
    void passThrough(ProcessData& data);
    void freeFadeBuffers();

    TripleBuffer<StateSnapshot> incomingState;  // UI thread to audio thread: states set
    TripleBuffer<StateSnapshot> publishedState; // audio thread to UI thread: values in use
    StateSnapshot lastSetState;                 // UI thread: the last state set while active
    StateSnapshot uiScratch;                    // UI thread: working copy
    uint32 setGeneration = 0;                   // UI thread: states set while active
    uint32 appliedGeneration = 0;               // audio thread: the last one applied
    bool active = false;                        // UI thread
    bool audioRendered = false;                 // audio thread: processAudio ran this block
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
