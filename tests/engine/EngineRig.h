// SPDX-License-Identifier: GPL-3.0-or-later
// Test rigs: the bare engine driven by its step functions, and a BraskProcessor driven through
// the VST 3 interfaces in-process with the host layer's event list, queues and buffers.
#pragma once

#include "BlockRenderer.h"
#include "BraskProcessor.h"
#include "EngineState.h"
#include "NoteEvents.h"
#include "ParameterMapping.h"

#include "EventList.h"
#include "ParameterChanges.h"
#include "ProcessBuffers.h"

#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestRig {

inline std::array<double, kSoundParamCount> defaultParams()
{
    std::array<double, kSoundParamCount> values{};
    for (int32 i = 0; i < kSoundParamCount; ++i)
        values[static_cast<size_t>(i)] = kDefaultParamValues[i];
    return values;
}

/** The engine alone, as initialize leaves it, at 44100 Hz unless told otherwise. */
class EngineRig
{
public:
    explicit EngineRig(double sampleRate = 44100.0) : sampleRate(sampleRate)
    {
        Synth::resetEngine(*engine);
        recalc();
    }

    Synth::EngineState& state() { return *engine; }
    Synth::Voice& voice(int32 index) { return engine->voices[index]; }

    void set(int32 param, double value)
    {
        params[static_cast<size_t>(param)] = value;
        recalc();
    }
    void recalc() { Synth::recalcEngine(*engine, params.data(), sampleRate); }

    /** Queues events for the next render. */
    void noteOn(int32 offset, int32 note, float velocity = 0.8f, int32 noteId = -1)
    {
        writer().addNoteOn(offset, note, velocity, noteId);
    }
    void noteOff(int32 offset, int32 note) { writer().addNoteOff(offset, note, -1); }

    /** Renders a block into left/right (resized to n). */
    void render(int32 n)
    {
        left.assign(static_cast<size_t>(n), 0.0f);
        right.assign(static_cast<size_t>(n), 0.0f);
        Synth::renderBlock(*engine, left.data(), right.data(), n, path);
        events.reset();
    }

    /** Renders n samples in blocks of blockSize and returns the left channel. */
    std::vector<float> renderLong(int32 n, int32 blockSize = 256)
    {
        std::vector<float> out;
        out.reserve(static_cast<size_t>(n));
        while (n > 0)
        {
            const int32 block = n < blockSize ? n : blockSize;
            render(block);
            out.insert(out.end(), left.begin(), left.end());
            n -= block;
        }
        return out;
    }

    std::array<double, kSoundParamCount> params = defaultParams();
    Synth::RenderPath path = Synth::RenderPath::kLanes;
    std::vector<float> left;
    std::vector<float> right;

private:
    Synth::NoteEventWriter& writer()
    {
        if (!events) events.emplace(*engine);
        return *events;
    }

    double sampleRate;
    std::unique_ptr<Synth::EngineState> engine = std::make_unique<Synth::EngineState>();
    std::optional<Synth::NoteEventWriter> events;
};

/** Reads the protected hooks a host never calls directly. */
class InspectableProcessor : public BraskProcessor
{
public:
    using BraskProcessor::paramValues;
    using BraskProcessor::setParameter;
};

/** A BraskProcessor as a host holds it: initialized, set up and active. */
class ProcessorRig
{
public:
    explicit ProcessorRig(double sampleRate = 44100.0, int32 maxBlock = 4096) : buffers(maxBlock)
    {
        processor = new InspectableProcessor();
        processor->initialize(&host);
        ProcessSetup setup{kRealtime, kSample32, maxBlock, sampleRate};
        processor->setupProcessing(setup);
        processor->setActive(true);
    }
    ~ProcessorRig()
    {
        processor->setActive(false);
        processor->terminate();
        processor->release();
    }
    ProcessorRig(const ProcessorRig&) = delete;
    ProcessorRig& operator=(const ProcessorRig&) = delete;

    /** One process call with the queued events and changes, which are then cleared. */
    void process(int32 n)
    {
        ProcessData& data = buffers.prepare(n, &changes, &events);
        processor->process(data);
        events.clear();
        changes.clear();
    }
    float* left() { return buffers.channel(0); }
    float* right() { return buffers.channel(1); }
    const Synth::EngineState& engine() const { return processor->engineState(); }

    HostApplication host; // not reference counted: owned here, outlives the processor
    InspectableProcessor* processor = nullptr;
    Host::ProcessBuffers buffers;
    Hosting::EventList events;
    Hosting::ParameterChanges changes;
};

inline std::vector<char> saveState(IComponent* component)
{
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    component->getState(stream);
    return std::vector<char>(stream->getData(), stream->getData() + stream->getSize());
}

inline tresult loadState(IComponent* component, const std::vector<char>& bytes)
{
    IPtr<MemoryStream> stream = owned(new MemoryStream());
    int32 written = 0;
    stream->write(const_cast<char*>(bytes.data()), static_cast<int32>(bytes.size()), &written);
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    return component->setState(stream);
}

inline bool allFinite(const float* samples, int32 n)
{
    for (int32 i = 0; i < n; ++i)
        if (!std::isfinite(samples[i])) return false;
    return true;
}

inline float peak(const float* samples, int32 n)
{
    float result = 0.0f;
    for (int32 i = 0; i < n; ++i)
        result = std::fmax(result, std::fabs(samples[i]));
    return result;
}

/** Fundamental frequency of a steady signal, in Hz: the lag within 0.4 periods of
    cycles * expectedPeriod with the highest correlation, refined by a parabola. The frequency
    must lie within 0.4 / cycles of the expected one. */
inline double measureFrequency(const std::vector<float>& signal, double sampleRate,
                               double expectedPeriod, int32 cycles)
{
    const auto lagCenter = static_cast<int32>(std::lround(expectedPeriod * cycles));
    const auto span = static_cast<int32>(expectedPeriod * 0.4);
    const auto length = static_cast<int32>(signal.size()) - lagCenter - span;
    auto correlation = [&](int32 lag) {
        double sum = 0.0;
        for (int32 i = 0; i < length; ++i)
            sum += static_cast<double>(signal[static_cast<size_t>(i)]) *
                   signal[static_cast<size_t>(i + lag)];
        return sum;
    };
    int32 bestLag = lagCenter;
    double best = -1e300;
    for (int32 lag = lagCenter - span; lag <= lagCenter + span; ++lag)
    {
        const double c = correlation(lag);
        if (c > best)
        {
            best = c;
            bestLag = lag;
        }
    }
    const double before = correlation(bestLag - 1);
    const double after = correlation(bestLag + 1);
    const double shift = 0.5 * (before - after) / (before - 2.0 * best + after);
    return sampleRate * cycles / (bestLag + shift);
}

} // namespace TestRig
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
