// SPDX-License-Identifier: GPL-3.0-or-later
// Two ways through the sample loop that give the same bits. The scalar one runs voice after
// voice on the voice records. The lane one runs four voices per SSE2 instruction on the
// voices' arrays (VoiceLanes): IEEE single-precision add, subtract, multiply, divide, compare,
// min and max give the same bits in a vector lane as in a scalar register, so each voice keeps
// its operations in the scalar order. What cannot run in lanes runs per lane on the records, in
// voice order: a cycle start (sine, cosine and floor from the C library) and the control tick,
// whose shared cutoff modulation moves once per sounding voice. Idle voices are masked out of
// every state update, a group of four idle voices is skipped, and the voices' samples are
// summed into the output one by one in voice order.
#include "BlockRenderer.h"

#include "Envelope.h"
#include "Filter.h"
#include "Glide.h"
#include "Noise.h"
#include "Oscillator.h"
#include "VoiceAllocation.h"
#include "VoiceLanes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(BRASK_SIMD) && defined(__SSE2__)
#define BRASK_RENDER_LANES 1
#include <emmintrin.h>
#else
#define BRASK_RENDER_LANES 0
#endif

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

constexpr float kTwoPi = 6.2831855f;
/** Leak of the sawtooth integrator per sample. */
constexpr float kSawLeak = 0.997f;

#if BRASK_RENDER_LANES
constexpr int32_t kLaneWidth = 4;

inline __m128 select(__m128 mask, __m128 ifSet, __m128 otherwise)
{
    return _mm_or_ps(_mm_and_ps(mask, ifSet), _mm_andnot_ps(mask, otherwise));
}
#endif

/** The values one renderBlock call works with. The engine fields that only the renderer
    changes (cutoff modulation, tick countdown, LFO phase, noise state) are worked on here and
    stored back at the end. */
class BlockRender
{
public:
    explicit BlockRender(EngineState& engine)
        : engine(engine), shape(filterShape(engine.resoScale, engine.resoDamping)),
          bendRatio(engine.bendRatio), bendInverse(engine.bendInverse), glideCoef(engine.glideCoef),
          envToCutoff(engine.envToCutoff), noiseLevel(engine.noiseLevel),
          cutoffSmooth(engine.cutoffSmooth), lfoPhase(engine.lfoPhase),
          tickCountdown(engine.tickCountdown), noiseState(engine.noiseState)
    {
        lfoValue = sinf(lfoPhase);
        updateModulation();
    }

    void run(float* left, float* right, int32_t numSamples, RenderPath path)
    {
        const int32_t* record = engine.eventBuffer;
        if (engine.activeVoices <= 0 && record[0] >= numSamples)
        {
            std::memset(left, 0, sizeof(float) * static_cast<size_t>(numSamples));
            std::memset(right, 0, sizeof(float) * static_cast<size_t>(numSamples));
            finish();
            return;
        }

        const bool inLanes = path == RenderPath::kLanes && BRASK_RENDER_LANES;
        int32_t position = 0;
        for (;;)
        {
            const int32_t end = std::max(position, std::min(record[0], numSamples));
            if (end > position)
            {
                if (inLanes)
                    renderLanes(left, right, position, end);
                else
                    renderScalar(left, right, position, end);
            }
            position = end;
            if (position == numSamples) break;
            noteOn(engine, record[1], record[2], record[3]);
            record += kEventRecordSize;
        }

        engine.activeVoices = kVoiceCount;
        for (Voice& voice : engine.voices)
        {
            if (voice.amp.level < kVoiceIdleLevel)
            {
                voice.amp.target = 0.0f;
                voice.amp.level = 0.0f;
                voice.filter.band = 0.0f;
                voice.filter.prevInput = 0.0f;
                voice.filter.low = 0.0f;
                --engine.activeVoices;
            }
        }
        finish();
    }

private:
    void updateModulation()
    {
        cutoffTarget = (engine.aftertouch + engine.lfoToCutoff) * lfoValue +
                       (engine.filterModCtl + engine.cutoffBase);
        vibFactor1 = (engine.modWheel + engine.vibrato1) * lfoValue + 1.0f;
        vibFactor2 = (engine.modWheel + engine.vibrato2) * lfoValue + 1.0f;
    }

    bool tick()
    {
        if (--tickCountdown >= 0) return false;
        lfoPhase += engine.lfoStep;
        if (lfoPhase > kPi) lfoPhase -= kTwoPi;
        lfoValue = sinf(lfoPhase);
        tickCountdown = kTickCountdownReset;
        updateModulation();
        return true;
    }

    /** The period products the oscillators sample at a cycle start. */
    float period1(const Voice& voice) const
    {
        return vibFactor1 * voice.period * bendInverse * voice.pitchFactor;
    }
    float period2(const Voice& voice) const
    {
        return voice.detune * voice.period * vibFactor2 * bendInverse * voice.pitchFactor;
    }

    /** A sounding voice's control tick, after its amplitude envelope step. */
    void tickVoice(Voice& voice)
    {
        voice.amp.decayAfterPeak(engine.ampDecay, engine.ampSustain);
        voice.filterEnv.step();
        voice.filterEnv.decayAfterPeak(engine.filtDecay, engine.filtSustain);
        cutoffSmooth = smoothCutoff(cutoffSmooth, cutoffTarget);
        voice.filter.updateCutoff(envToCutoff, voice.filterEnv.level, cutoffSmooth, bendRatio);
        glideStep(voice, glideCoef);
    }

    float renderVoice(Voice& voice, float noise, bool isTick)
    {
        const float out1 = voice.osc1.step(voice.osc1Level, period1(voice));
        const float out2 = voice.osc2.step(voice.osc2Level, period2(voice));
        voice.saw = voice.saw * kSawLeak + voice.osc1.dc + out1 - voice.osc2.dc - out2;
        const float input = voice.saw + noise;

        voice.amp.step();
        if (isTick) tickVoice(voice);
        return voice.filter.step(shape, input) * voice.amp.level * voice.gainFactor;
    }

    void renderScalar(float* left, float* right, int32_t begin, int32_t end)
    {
        for (int32_t i = begin; i < end; ++i)
        {
            const float noise = noiseStep(noiseState) * noiseLevel;
            const bool isTick = tick();
            float sumLeft = 0.0f;
            float sumRight = 0.0f;
            for (Voice& voice : engine.voices)
            {
                if (!(voice.amp.level > kVoiceIdleLevel)) continue;
                const float out = renderVoice(voice, noise, isTick);
                sumLeft += out * voice.leftGain;
                sumRight += out * voice.rightGain;
            }
            left[i] = sumLeft;
            right[i] = sumRight;
        }
    }

#if BRASK_RENDER_LANES
    void renderLanes(float* left, float* right, int32_t begin, int32_t end)
    {
        lanes.load(engine.voices);
        // With equal factors both channels get the same products, so the same sums.
        const bool sameGains =
            std::memcmp(lanes.leftGain, lanes.rightGain, sizeof(lanes.leftGain)) == 0;
        alignas(16) float outLeft[kVoiceCount];
        alignas(16) float outRight[kVoiceCount];
        for (int32_t i = begin; i < end; ++i)
        {
            const float noise = noiseStep(noiseState) * noiseLevel;
            const bool isTick = tick();
            for (int32_t first = 0; first < kVoiceCount; first += kLaneWidth)
                renderGroup(first, noise, isTick, outLeft + first, outRight + first);

            // An idle voice adds +0, which changes no sum: a sum that starts at +0 is never -0.
            float sumLeft = 0.0f;
            for (int32_t v = 0; v < kVoiceCount; ++v)
                sumLeft += outLeft[v];
            left[i] = sumLeft;
            if (sameGains)
            {
                right[i] = sumLeft;
                continue;
            }
            float sumRight = 0.0f;
            for (int32_t v = 0; v < kVoiceCount; ++v)
                sumRight += outRight[v];
            right[i] = sumRight;
        }
        lanes.store(engine.voices);
    }

    /** One sample of the voices first..first+3: their left and right contributions, +0 for
        idle voices. */
    void renderGroup(int32_t first, float noise, bool isTick, float* outLeft, float* outRight)
    {
        const __m128 level = _mm_load_ps(lanes.level + first);
        const __m128 active = _mm_cmpgt_ps(level, _mm_set1_ps(kVoiceIdleLevel));
        const int activeMask = _mm_movemask_ps(active);
        if (activeMask == 0)
        {
            _mm_store_ps(outLeft, _mm_setzero_ps());
            _mm_store_ps(outRight, _mm_setzero_ps());
            return;
        }

        const __m128 out1 = stepOscillators<1>(lanes.osc1, first, active, activeMask);
        const __m128 out2 = stepOscillators<2>(lanes.osc2, first, active, activeMask);
        const __m128 saw = _mm_load_ps(lanes.saw + first);
        const __m128 newSaw =
            _mm_sub_ps(_mm_sub_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(saw, _mm_set1_ps(kSawLeak)),
                                                        _mm_load_ps(lanes.osc1.dc + first)),
                                             out1),
                                  _mm_load_ps(lanes.osc2.dc + first)),
                       out2);
        _mm_store_ps(lanes.saw + first, select(active, newSaw, saw));
        const __m128 input = _mm_add_ps(newSaw, _mm_set1_ps(noise));

        const __m128 target = _mm_load_ps(lanes.target + first);
        const __m128 rate = _mm_load_ps(lanes.rate + first);
        const __m128 newLevel = _mm_add_ps(level, _mm_mul_ps(_mm_sub_ps(target, level), rate));
        _mm_store_ps(lanes.level + first, select(active, newLevel, level));
        if (isTick) tickLanes(first, activeMask);

        // The filter step.
        const __m128 cutoff =
            _mm_min_ps(_mm_set1_ps(shape.cutoffLimit), _mm_load_ps(lanes.cutoff + first));
        const __m128 low = _mm_load_ps(lanes.low + first);
        const __m128 band = _mm_load_ps(lanes.band + first);
        const __m128 prevInput = _mm_load_ps(lanes.prevInput + first);
        const __m128 newLow = _mm_add_ps(low, _mm_mul_ps(cutoff, band));
        const __m128 error = _mm_mul_ps(
            _mm_sub_ps(
                _mm_sub_ps(_mm_add_ps(_mm_mul_ps(band, _mm_set1_ps(shape.damping)), newLow), input),
                prevInput),
            cutoff);
        const __m128 limited =
            _mm_min_ps(_mm_set1_ps(kBandStateLimit),
                       _mm_max_ps(_mm_set1_ps(-kBandStateLimit), _mm_sub_ps(band, error)));
        const __m128 newBand = _mm_sub_ps(
            limited,
            _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(limited, _mm_set1_ps(0.2f)), limited), limited));
        _mm_store_ps(lanes.cutoff + first,
                     select(active, cutoff, _mm_load_ps(lanes.cutoff + first)));
        _mm_store_ps(lanes.low + first, select(active, newLow, low));
        _mm_store_ps(lanes.band + first, select(active, newBand, band));
        _mm_store_ps(lanes.prevInput + first, select(active, input, prevInput));

        const __m128 out =
            _mm_mul_ps(_mm_mul_ps(newLow, newLevel), _mm_load_ps(lanes.gainFactor + first));
        _mm_store_ps(outLeft,
                     _mm_and_ps(active, _mm_mul_ps(out, _mm_load_ps(lanes.leftGain + first))));
        _mm_store_ps(outRight,
                     _mm_and_ps(active, _mm_mul_ps(out, _mm_load_ps(lanes.rightGain + first))));
    }

    /** One step of oscillator 1 or 2 of four voices. A lane whose phase is back at the bottom
        starts its new cycle through the scalar step. */
    template <int number>
    __m128 stepOscillators(OscillatorLanes& osc, int32_t first, __m128 active, int activeMask)
    {
        const __m128 phase = _mm_load_ps(osc.phase + first);
        const __m128 max = _mm_load_ps(osc.max + first);
        const __m128 increment = _mm_load_ps(osc.increment + first);
        const __m128 sin0 = _mm_load_ps(osc.sin0 + first);
        const __m128 sin1 = _mm_load_ps(osc.sin1 + first);
        const __m128 coef = _mm_load_ps(osc.coef + first);

        const __m128 rising = _mm_add_ps(phase, increment);
        const __m128 inCycle = _mm_cmpgt_ps(rising, _mm_set1_ps(1.0f));
        const __m128 turns = _mm_cmpgt_ps(rising, max);
        const __m128 x =
            select(turns, _mm_sub_ps(_mm_mul_ps(_mm_set1_ps(2.0f), max), rising), rising);
        const __m128 newIncrement =
            select(turns, _mm_xor_ps(increment, _mm_set1_ps(-0.0f)), increment);
        const __m128 y = _mm_sub_ps(_mm_mul_ps(coef, sin0), sin1);
        __m128 out = _mm_div_ps(y, x);

        const __m128 steps = _mm_and_ps(active, inCycle);
        _mm_store_ps(osc.phase + first, select(steps, x, phase));
        _mm_store_ps(osc.increment + first, select(steps, newIncrement, increment));
        _mm_store_ps(osc.sin1 + first, select(steps, sin0, sin1));
        _mm_store_ps(osc.sin0 + first, select(steps, y, sin0));

        int starts = activeMask & ~_mm_movemask_ps(inCycle);
        if (starts == 0) return out;
        alignas(16) float outs[kLaneWidth];
        _mm_store_ps(outs, out);
        for (int lane = 0; lane < kLaneWidth; ++lane)
        {
            if (!(starts & (1 << lane))) continue;
            const int32_t v = first + lane;
            const Voice& voice = engine.voices[v];
            Oscillator oscillator = osc.get(v);
            outs[lane] = number == 1 ? oscillator.step(voice.osc1Level, period1(voice))
                                     : oscillator.step(voice.osc2Level, period2(voice));
            osc.set(v, oscillator);
        }
        return _mm_load_ps(outs);
    }

    /** The control tick of the sounding voices first..first+3, in voice order on their
        records: it is rare, and the shared cutoff modulation moves once per voice. */
    void tickLanes(int32_t first, int activeMask)
    {
        for (int lane = 0; lane < kLaneWidth; ++lane)
        {
            if (!(activeMask & (1 << lane))) continue;
            const int32_t v = first + lane;
            Voice& voice = engine.voices[v];
            voice.amp = {lanes.level[v], lanes.rate[v], lanes.target[v]};
            tickVoice(voice);
            lanes.rate[v] = voice.amp.rate;
            lanes.target[v] = voice.amp.target;
            lanes.cutoff[v] = voice.filter.cutoff;
        }
    }

    VoiceLanes lanes;
#else
    void renderLanes(float* left, float* right, int32_t begin, int32_t end)
    {
        renderScalar(left, right, begin, end);
    }
#endif

    void finish()
    {
        engine.eventBuffer[0] = kEventTerminator;
        engine.cutoffSmooth = cutoffSmooth;
        engine.tickCountdown = tickCountdown;
        engine.lfoPhase = lfoPhase;
        engine.noiseState = noiseState;
    }

    EngineState& engine;
    const FilterShape shape;
    const float bendRatio;
    const float bendInverse;
    const float glideCoef;
    const float envToCutoff;
    const float noiseLevel;

    float cutoffSmooth;
    float lfoPhase;
    int32_t tickCountdown;
    uint32_t noiseState;

    float lfoValue = 0.0f;
    float cutoffTarget = 0.0f;
    float vibFactor1 = 1.0f;
    float vibFactor2 = 1.0f;
};

} // namespace

bool renderLanesAvailable()
{
    return BRASK_RENDER_LANES != 0;
}

void renderBlock(EngineState& engine, float* left, float* right, int32_t numSamples,
                 RenderPath path)
{
    if (numSamples <= 0) return;
    BlockRender(engine).run(left, right, numSamples, path);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
