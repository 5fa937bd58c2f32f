// SPDX-License-Identifier: GPL-3.0-or-later
// BraskProcessor: the instrument's processor, the thin glue between the generic frame and the
// synthesis engine. The frame calls its overrides on the audio thread in this order each block:
// setParameter for every changed parameter, recalc once if any changed, processEvents, then
// processAudio when the block has samples and is not bypassed.
#pragma once

#include "BaseProcessor.h"
#include "BlockRenderer.h"
#include "BraskParameterDefaults.h"
#include "EngineState.h"

#include <atomic>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** Number of sound parameters; their IDs 0..23 index the value array. */
constexpr uint32 kBraskParamCount = 24;

class BraskProcessor : public BaseProcessor
{
public:
    BraskProcessor();

    tresult PLUGIN_API initialize(FUnknown* context) SMTG_OVERRIDE;
    tresult PLUGIN_API terminate() SMTG_OVERRIDE;
    /** Activation starts from a silent engine, as initialize leaves it, with the parameter
        values, the MIDI performance controllers and bypass kept; then recalc. */
    tresult PLUGIN_API setActive(TBool state) SMTG_OVERRIDE;
    /** Any thread: the samples the amplitude release takes from full level to silence at the
        current "ENV Rel" and sample rate, as the last recalc left it. */
    uint32 PLUGIN_API getTailSamples() SMTG_OVERRIDE;

    /** Which way the voices are rendered; both give the same bits. Set before processing
        starts (tests and benchmarks compare the two). */
    void setRenderPath(Synth::RenderPath path) { renderPath = path; }

    /** The engine's state, for inspection. */
    const Synth::EngineState& engineState() const { return engine; }

protected:
    void processAudio(ProcessData& data) SMTG_OVERRIDE;
    /** Copies the block's note-on and note-off events into the engine's event buffer. A block
        with more than the buffer holds is rendered in pieces by processAudio, each with the
        events that fit, so none is lost. */
    void processEvents(IEventList* events) SMTG_OVERRIDE;
    /** Note events of a block without samples play at the start of the next rendered block;
        of a block that passed unheard (bypass) only the note-offs do, so no note hangs. */
    void eventsNotRendered(bool deferred) SMTG_OVERRIDE;
    /** IDs 0..23 are stored for the next recalc; the MIDI performance controllers act at once;
        others are ignored. NaN is ignored and values outside 0..1 are clamped. */
    void setParameter(ParamID id, ParamValue value, int32 sampleOffset) SMTG_OVERRIDE;
    void recalc() SMTG_OVERRIDE;

private:
    /** Fills the engine's event buffer from the list's event `nextEvent` on, with offsets made
        relative to `pieceStart`, until the list ends or the buffer is full. */
    void takeEvents(int32 pieceStart);
    /** Keeps the events still waiting at the end of a rendered block for the next one. */
    void keepOverflowForNextBlock(int32 numSamples);

    Synth::EngineState engine{};
    /** Audio thread, within one process call: the block's event list while some of its note
        events did not fit the engine's buffer yet, and the first of them. */
    IEventList* overflowingEvents = nullptr;
    int32 nextEvent = 0;
    Synth::RenderPath renderPath = Synth::RenderPath::kLanes;
    /** Records at the head of the event buffer kept from blocks that were not rendered. */
    int32 keptEvents = 0;
    /** Written by recalc (either thread), read by getTailSamples on the UI thread. */
    std::atomic<uint32> tailSamples{0};
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
