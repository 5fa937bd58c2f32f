// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering cost of the processor at 48 kHz: 1, 4 and 8 sounding voices in blocks of 32, 128 and
// 512 samples, each through the scalar and the SSE2 lane renderer, and an idle instance.
// Reported per voice-sample and as a real-time factor (seconds of audio rendered per second of
// one core).
#include "EngineRig.h"

#include <benchmark/benchmark.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using namespace Steinberg::Vst::Tarvik::Synth;

namespace {

constexpr double kSampleRate = 48000.0;

void reportRates(benchmark::State& state, int32 voices, int32 blockSize)
{
    const double samples = static_cast<double>(blockSize);
    if (voices > 0)
        state.counters["voice_sample"] =
            benchmark::Counter(samples * voices, benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
    state.counters["realtime_factor"] =
        benchmark::Counter(samples / kSampleRate, benchmark::Counter::kIsIterationInvariantRate);
}

/** Voices held at their sustain level, with the default sound. */
void renderVoices(benchmark::State& state)
{
    const auto voices = static_cast<int32>(state.range(0));
    const auto blockSize = static_cast<int32>(state.range(1));
    TestRig::ProcessorRig rig(kSampleRate, blockSize);
    rig.processor->setRenderPath(state.range(2) ? RenderPath::kLanes : RenderPath::kScalar);
    for (int32 i = 0; i < voices; ++i)
        rig.events.addNoteOn(0, static_cast<int16>(48 + 5 * i), 0.8f);
    for (int32 rendered = 0; rendered < 48000; rendered += blockSize) // past the attacks
        rig.process(blockSize);
    if (rig.engine().activeVoices != voices) state.SkipWithError("voices stopped sounding");

    for (auto _ : state)
    {
        rig.process(blockSize);
        benchmark::DoNotOptimize(rig.left()[0]);
    }
    reportRates(state, voices, blockSize);
}

/** An instance with nothing to play: the silent shortcut. */
void renderIdle(benchmark::State& state)
{
    const auto blockSize = static_cast<int32>(state.range(0));
    TestRig::ProcessorRig rig(kSampleRate, blockSize);
    for (auto _ : state)
    {
        rig.process(blockSize);
        benchmark::DoNotOptimize(rig.left()[0]);
    }
    reportRates(state, 0, blockSize);
}

BENCHMARK(renderVoices)
    ->ArgNames({"voices", "block", "lanes"})
    ->ArgsProduct({{1, 4, 8}, {32, 128, 512}, {0, 1}});
BENCHMARK(renderIdle)->ArgName("block")->Arg(128);

} // namespace

BENCHMARK_MAIN();
