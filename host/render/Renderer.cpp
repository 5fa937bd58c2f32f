// SPDX-License-Identifier: GPL-3.0-or-later
#include "Renderer.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {

namespace {

// Brask keeps at most 512 note events of a block and drops the rest, so a block carries no more:
// a lost note-off would leave a note hanging. Hosts may always split blocks.
constexpr int32 kEventCapacity = 512;
constexpr int32 kPointsPerQueue = 256;

} // namespace

Renderer::Renderer(Host::PluginInstance& instance, double sampleRate, int32 blockSize,
                   double maxTailSeconds)
    : instance(instance), sampleRate(sampleRate), blockSize(blockSize),
      maxTailFrames(static_cast<int64>(std::llround(maxTailSeconds * sampleRate))),
      delivery(instance.midiMapping(), instance.controller(), kEventCapacity, kPointsPerQueue),
      events(kEventCapacity),
      // A queue for every parameter the MIDI mapping drives and every parameter set at the
      // start: one block can never run out of queues.
      changes(delivery.targetCount() + static_cast<int32>(instance.parameters().size()) + 1,
              kPointsPerQueue),
      buffers(blockSize)
{
    context.state = ProcessContext::kPlaying;
    context.sampleRate = sampleRate;
}

void Renderer::setStartParameters(std::vector<std::pair<ParamID, ParamValue>> values)
{
    startParameters = std::move(values);
    startPending = !startParameters.empty();
}

void Renderer::addStartParameters()
{
    for (const auto& [id, value] : startParameters)
        changes.add(id, 0, value);
    startPending = false;
}

int64 Renderer::maxFrames(const MidiFile& file) const
{
    return static_cast<int64>(std::llround(file.lengthSeconds() * sampleRate)) + maxTailFrames;
}

bool Renderer::render(const MidiFile& file, const Sink& sink, const Progress& progress)
{
    delivery.schedule(file, sampleRate);
    const auto songEnd = static_cast<int64>(std::llround(file.lengthSeconds() * sampleRate));
    const int64 limit = songEnd + maxTailFrames;
    const auto silenceFrames = static_cast<int64>(std::llround(kSilenceSeconds * sampleRate));

    int64 position = 0;
    int64 silentRun = 0;
    bool rangOut = false;
    while (position < limit && !rangOut)
    {
        events.clear();
        changes.clear();
        if (startPending) addStartParameters();
        int32 length = static_cast<int32>(std::min<int64>(blockSize, limit - position));
        length = delivery.fill(position, length, events, changes);

        context.projectTimeSamples = position;
        context.continousTimeSamples = position;
        instance.process(buffers.prepare(length, &changes, &events, &context));

        // The tail ends once the output after the song's end has been silent long enough.
        const float* left = buffers.channel(0);
        const float* right = buffers.channel(1);
        int32 frames = length;
        for (int32 i = std::max<int32>(
                 0, static_cast<int32>(std::min<int64>(length, songEnd - position)));
             i < length; ++i)
        {
            const bool silent =
                std::fabs(left[i]) < kSilenceLevel && std::fabs(right[i]) < kSilenceLevel;
            silentRun = silent ? silentRun + 1 : 0;
            if (silentRun >= silenceFrames)
            {
                frames = i + 1;
                rangOut = true;
                break;
            }
        }

        if (!sink(left, right, frames)) return false;
        position += frames;
        if (progress) progress(position);
    }
    if (startPending) flush();
    return true;
}

void Renderer::flush()
{
    if (!startPending) return;
    events.clear();
    changes.clear();
    addStartParameters();
    instance.process(buffers.prepare(0, &changes, &events, &context));
}

} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
