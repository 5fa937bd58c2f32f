// SPDX-License-Identifier: GPL-3.0-or-later
// What the VST 2 entry adds to a block: processReplacing of an instance at 48 kHz with 8 voices
// held, in blocks of 32, 128 and 512 samples, plain and with a host that automates 4 parameters
// (setParameter) and sends 4 controller moves (processEvents) every block; and a block whose
// event list is full: a panic on all 16 channels that releases 256 keys, and 256 new notes.
#include "LinkedVst2Effect.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using Vst2Test::Vst2Instance;

/** MIDI messages as one event list that stays valid while the benchmark runs. */
struct MidiList
{
    explicit MidiList(const std::vector<std::vector<unsigned char>>& messages, int spacing)
        : events(messages.size()), storage(sizeof(VstEvents) + messages.size() * sizeof(VstEvent*))
    {
        list()->numEvents = static_cast<int>(messages.size());
        for (size_t i = 0; i < messages.size(); ++i)
        {
            events[i].type = kVstMidiType;
            events[i].byteSize = sizeof(VstMidiEvent);
            events[i].deltaFrames = static_cast<int>(i) * spacing;
            for (size_t b = 0; b < 3; ++b)
                events[i].midiData[b] = messages[i][b];
            list()->events[i] = reinterpret_cast<VstEvent*>(&events[i]);
        }
    }
    VstEvents* list() { return reinterpret_cast<VstEvents*>(storage.data()); }
    std::vector<VstMidiEvent> events;
    std::vector<char> storage;
};

/** A started instance at 48 kHz with its stereo output, for blocks of one size. */
struct RunningEffect
{
    explicit RunningEffect(int blockSize)
        : instance(Vst2Test::startedLinkedEffect(48000.0f, blockSize)), effect(instance->effect),
          left(static_cast<size_t>(blockSize)), right(left.size()), blockSize(blockSize)
    {}
    void send(MidiList& midi)
    {
        effect->dispatcher(effect, effProcessEvents, 0, 0, midi.list(), 0.0f);
    }
    void process()
    {
        float* outputs[2] = {left.data(), right.data()};
        effect->processReplacing(effect, nullptr, outputs, blockSize);
        benchmark::DoNotOptimize(left[0]);
    }

    std::unique_ptr<Vst2Instance> instance;
    AEffect* effect;
    std::vector<float> left, right;
    int blockSize;
};

void vst2Block(benchmark::State& state)
{
    const auto blockSize = static_cast<int>(state.range(0));
    const bool automated = state.range(1) != 0;
    RunningEffect running(blockSize);
    std::vector<std::vector<unsigned char>> chord;
    for (unsigned char i = 0; i < 8; ++i)
        chord.push_back({0x90, static_cast<unsigned char>(48 + 5 * i), 100});
    MidiList notes(chord, 0);
    running.send(notes);
    for (int rendered = 0; rendered < 48000; rendered += blockSize) // past the attacks
        running.process();

    MidiList moves({{0xB0, 1, 64}, {0xB0, 74, 30}, {0xE0, 0, 70}, {0xD0, 20, 0}}, blockSize / 4);
    float value = 0.0f;
    for (auto _ : state)
    {
        if (automated)
        {
            value = value > 0.9f ? 0.1f : value + 0.01f;
            for (int index : {6, 7, 19, 20})
                running.effect->setParameter(running.effect, index, value);
            running.send(moves);
        }
        running.process();
    }
    state.counters["realtime_factor"] =
        benchmark::Counter(blockSize / 48000.0, benchmark::Counter::kIsIterationInvariantRate);
}

void vst2FullEventList(benchmark::State& state)
{
    const auto blockSize = static_cast<int>(state.range(0));
    RunningEffect running(blockSize);

    // Every block: all notes off and all sound off on each channel at its start, releasing the
    // 256 keys the block before struck (16 on each channel), then those 256 keys struck again
    // across the block: 512 note events, what the instrument takes in one process call.
    std::vector<std::vector<unsigned char>> messages;
    for (unsigned char channel = 0; channel < 16; ++channel)
    {
        messages.push_back({static_cast<unsigned char>(0xB0 | channel), 123, 0});
        messages.push_back({static_cast<unsigned char>(0xB0 | channel), 120, 0});
    }
    for (int i = 0; i < 256; ++i)
        messages.push_back({static_cast<unsigned char>(0x90 | (i % 16)),
                            static_cast<unsigned char>(40 + i / 16), 100});
    MidiList list(messages, 0);
    for (size_t i = 32; i < messages.size(); ++i)
        list.events[i].deltaFrames = static_cast<int>(i - 32) * blockSize / 256;
    for (int warm = 0; warm < 4; ++warm)
    {
        running.send(list);
        running.process();
    }
    for (auto _ : state)
    {
        running.send(list);
        running.process();
    }
    // CPU time per block over the block's duration: the share of one core it takes.
    state.counters["share_of_block"] =
        benchmark::Counter(blockSize / 48000.0, benchmark::Counter::kIsIterationInvariantRate |
                                                    benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(vst2FullEventList)->ArgName("block")->Arg(128)->Arg(512);
BENCHMARK(vst2Block)->ArgNames({"block", "automated"})->ArgsProduct({{32, 128, 512}, {0, 1}});

BENCHMARK_MAIN();
