// SPDX-License-Identifier: GPL-3.0-or-later
#include "Renderer.h"

#include <algorithm>
#include <cmath>

namespace Steinberg::Vst::Tarvik::Render {

namespace {

// Brask keeps at most 512 note events of a process call and drops the rest, so a call carries no
// more: a lost note-off would leave a note hanging. A busier block goes in pieces.
constexpr int32 kEventCapacity = 512;
constexpr int32 kPointsPerQueue = 256;

} // namespace

Renderer::Renderer(Hosting::PluginInstance& instance, double sampleRate, int32 blockSize,
                   double maxTailSeconds)
    : instance(instance), sampleRate(sampleRate), blockSize(blockSize),
      maxTailFrames(static_cast<int64>(std::llround(maxTailSeconds * sampleRate))),
      delivery(instance.midiMapping(), instance.controller()), events(kEventCapacity),
      // A queue for every parameter the MIDI mapping drives and every parameter set at the
      // start: one block can never run out of queues.
      changes(delivery.targetCount() + static_cast<int32>(instance.parameters().size()) + 1,
              kPointsPerQueue, Hosting::FullQueue::kKeepNewestPoint),
      buffers(blockSize)
{
    block.reserveParameters(static_cast<int32>(instance.parameters().size()));
    context.state = ProcessContext::kPlaying;
    context.sampleRate = sampleRate;
}

void Renderer::setStartParameters(std::vector<std::pair<ParamID, ParamValue>> values)
{
    startParameters = std::move(values);
    startPending = !startParameters.empty();
}

int64 Renderer::maxFrames(const MidiFile& file) const
{
    return static_cast<int64>(std::llround(file.lengthSeconds() * sampleRate)) + maxTailFrames;
}

bool Renderer::render(const MidiFile& file, const Sink& sink, const Progress& progress)
{
    delivery.schedule(file, sampleRate);
    block.clear();
    const auto songEnd = static_cast<int64>(std::llround(file.lengthSeconds() * sampleRate));
    const int64 limit = songEnd + maxTailFrames;
    const auto silenceFrames = static_cast<int64>(std::llround(kSilenceSeconds * sampleRate));

    int64 position = 0;
    int64 silentRun = 0;
    bool rangOut = false;
    bool refused = false;
    while (position < limit && !rangOut && !refused)
    {
        if (startPending)
        {
            for (const auto& [id, value] : startParameters)
                block.addHostChange(id, value);
            startPending = false;
        }
        const auto length = static_cast<int32>(std::min<int64>(blockSize, limit - position));
        delivery.fill(position, length, block);

        const int64 blockStart = position;
        block.renderPieces(length, blockSize, events, changes, [&](int32 start, int32 piece) {
            const int64 at = blockStart + start;
            context.projectTimeSamples = at;
            context.continousTimeSamples = at;
            instance.process(buffers.prepare(piece, &changes, &events, &context));

            // The tail ends once the output after the song's end has been silent long enough.
            const float* left = buffers.channel(0);
            const float* right = buffers.channel(1);
            int32 frames = piece;
            for (int32 i =
                     std::max<int32>(0, static_cast<int32>(std::min<int64>(piece, songEnd - at)));
                 i < piece; ++i)
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

            refused = !sink(left, right, frames);
            if (refused) return false;
            position = at + frames;
            if (progress) progress(position);
            return !rangOut;
        });
    }
    if (refused) return false;
    if (startPending) flush();
    return true;
}

void Renderer::flush()
{
    if (!startPending) return;
    events.clear();
    changes.clear();
    for (const auto& [id, value] : startParameters)
        changes.add(id, 0, value);
    startPending = false;
    instance.process(buffers.prepare(0, &changes, &events, &context));
}

} // namespace Steinberg::Vst::Tarvik::Render
