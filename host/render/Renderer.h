// SPDX-License-Identifier: GPL-3.0-or-later
// Drives a started plug-in instance through a MIDI file block by block and hands the audio on,
// then lets it ring out until the output has been silent for a while or the tail limit is hit.
#pragma once

#include "MidiDelivery.h"
#include "MidiFile.h"
#include "ProcessBuffers.h"

#include "BlockInput.h"
#include "EventList.h"
#include "ParameterChanges.h"
#include "PluginInstance.h"

#include <functional>
#include <utility>
#include <vector>

namespace Steinberg::Vst::Tarvik::Render {

class Renderer
{
public:
    /** Receives each piece's two channels; false stops the render (a write failed). */
    using Sink = std::function<bool(const float* left, const float* right, int32 frames)>;
    /** Told the position reached, in frames, after each piece. */
    using Progress = std::function<void(int64 frames)>;

    /** Output quieter than this counts as silence: below what a 16-bit file can hold. */
    static constexpr float kSilenceLevel = 1.0f / 131072.0f;
    /** How long the output must stay silent before the tail ends. */
    static constexpr double kSilenceSeconds = 0.2;

    /** The instance must be started with this rate and at least this block size. */
    Renderer(Hosting::PluginInstance& instance, double sampleRate, int32 blockSize,
             double maxTailSeconds);

    /** Parameter values that reach the processor at the start of the first block. */
    void setStartParameters(std::vector<std::pair<ParamID, ParamValue>> values);

    /** Frames the render of this file can produce at most. */
    int64 maxFrames(const MidiFile& file) const;

    /** Renders the file; false when the sink refused a block. */
    bool render(const MidiFile& file, const Sink& sink, const Progress& progress = nullptr);

    /** Hands pending start parameters to the processor in a call without samples, for a session
        that does not render. */
    void flush();

private:
    Hosting::PluginInstance& instance;
    double sampleRate;
    int32 blockSize;
    int64 maxTailFrames;
    MidiDelivery delivery;
    Hosting::BlockInput block;
    Hosting::EventList events;
    Hosting::ParameterChanges changes;
    Host::ProcessBuffers buffers;
    ProcessContext context{};
    std::vector<std::pair<ParamID, ParamValue>> startParameters;
    bool startPending = false;
};

} // namespace Steinberg::Vst::Tarvik::Render
