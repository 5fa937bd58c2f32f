// SPDX-License-Identifier: GPL-3.0-or-later
// Two ways through the sample loop that give the same bits. The scalar one runs voice after
// voice on the voice records. The lane one runs four voices per SSE2 instruction on the
// voices' arrays (VoiceLanes): IEEE single-precision add, subtract, multiply, divide, compare,
// min and max give the same bits in a vector lane as in a scalar register, so each voice keeps
// its operations in the scalar order. What cannot run in lanes runs per lane on the records, in
// voice order: a cycle start (sine, cosine and floor from the C library) and the control tick,
// whose shared cutoff modulation moves once per sounding voice. Only sounding voices take
// lanes, packed in voice order, so idle voices cost nothing and the voices' samples are summed
// into the output one by one in voice order; a voice that falls silent leaves the lanes at that
// sample, and a lone voice runs through the scalar loop.
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
namespace Synth {

namespace {

constexpr float kTwoPi = 6.2831855f;
/** Leak of the sawtooth integrator per sample. */
constexpr float kSawLeak = 0.997f;

#if BRASK_RENDER_LANES
constexpr int32_t kLaneWidth = 4;
/** Sounding voices from which the lanes pay. */
constexpr int32_t kFewestLaneVoices = 2;

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

        // The same test the sample loop skips voices by: a voice left at exactly the idle level
        // would be neither rendered nor cleared, and would count as sounding for ever.
        engine.activeVoices = kVoiceCount;
        for (Voice& voice : engine.voices)
        {
            if (!(voice.amp.level > kVoiceIdleLevel))
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
    static constexpr int32_t kGroups = kVoiceCount / kLaneWidth;

    void renderLanes(float* left, float* right, int32_t begin, int32_t end)
    {
        int32_t sounding = 0;
        for (const Voice& voice : engine.voices)
            sounding += voice.amp.level > kVoiceIdleLevel ? 1 : 0;
        if (sounding < kFewestLaneVoices)
        {
            renderScalar(left, right, begin, end);
            return;
        }
        packSoundingVoices();
        for (int32_t i = begin; i < end; ++i)
        {
            // A voice that has fallen silent keeps its state from now on: out of the lanes.
            if (laneFell)
            {
                unpackVoices();
                packSoundingVoices();
            }
            // A lone voice is quicker on its own than with the lanes' bookkeeping.
            if (laneCount < kFewestLaneVoices)
            {
                renderScalar(left, right, i, end);
                return;
            }
            const float noise = noiseStep(noiseState) * noiseLevel;
            const bool isTick = tick();
            float sumLeft = 0.0f;
            float sumRight = 0.0f;
            if (groupCount == 1)
                renderLaneSample<1>(noise, isTick, sumLeft, sumRight);
            else
                renderLaneSample<kGroups>(noise, isTick, sumLeft, sumRight);
            left[i] = sumLeft;
            right[i] = sumRight;
        }
        unpackVoices();
    }

    /** The sounding voices into the lanes in voice order, so that lane order is voice order. */
    void packSoundingVoices()
    {
        laneCount = 0;
        for (int32_t v = 0; v < kVoiceCount; ++v)
        {
            if (!(engine.voices[v].amp.level > kVoiceIdleLevel)) continue;
            laneVoice[laneCount] = v;
            lanes.load(laneCount++, engine.voices[v]);
        }
        groupCount = (laneCount + kLaneWidth - 1) / kLaneWidth;
        for (int32_t lane = laneCount; lane < groupCount * kLaneWidth; ++lane)
            lanes.clear(lane);
        // With equal factors both channels get the same sums (a sum that starts at +0 never
        // becomes -0, so even factors of +0 and -0 count as equal).
        sameGains = true;
        for (int32_t lane = 0; lane < laneCount; ++lane)
            if (lanes.leftGain[lane] != lanes.rightGain[lane]) sameGains = false;
        for (int32_t g = 0; g < groupCount; ++g)
            laneMask[g] = (1 << std::min(kLaneWidth, laneCount - g * kLaneWidth)) - 1;
        laneFell = false;
    }

    void unpackVoices()
    {
        for (int32_t lane = 0; lane < laneCount; ++lane)
            lanes.store(lane, engine.voices[laneVoice[lane]]);
    }

    /** One sample of every lane; all lanes hold sounding voices. Each stage runs over the
        groups before the next begins, which leaves the groups' work independent for the
        processor to overlap; only the tick and the sums go lane by lane in voice order. */
    template <int32_t groupCount>
    void renderLaneSample(float noise, bool isTick, float& sumLeft, float& sumRight)
    {
        __m128 out1[kGroups];
        __m128 out2[kGroups];
        __m128 input[kGroups];
        __m128 level[kGroups];
        for (int32_t g = 0; g < groupCount; ++g)
            out1[g] = stepOscillators<1>(lanes.osc1, g * kLaneWidth);
        for (int32_t g = 0; g < groupCount; ++g)
            out2[g] = stepOscillators<2>(lanes.osc2, g * kLaneWidth);
        for (int32_t g = 0; g < groupCount; ++g)
        {
            const int32_t first = g * kLaneWidth;
            const __m128 saw = _mm_sub_ps(
                _mm_sub_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_load_ps(lanes.saw + first),
                                                            _mm_set1_ps(kSawLeak)),
                                                 _mm_load_ps(lanes.osc1.dc + first)),
                                      out1[g]),
                           _mm_load_ps(lanes.osc2.dc + first)),
                out2[g]);
            _mm_store_ps(lanes.saw + first, saw);
            input[g] = _mm_add_ps(saw, _mm_set1_ps(noise));

            const __m128 before = _mm_load_ps(lanes.level + first);
            const __m128 target = _mm_load_ps(lanes.target + first);
            const __m128 rate = _mm_load_ps(lanes.rate + first);
            level[g] = _mm_add_ps(before, _mm_mul_ps(_mm_sub_ps(target, before), rate));
            _mm_store_ps(lanes.level + first, level[g]);
            // Not above the idle level (NaN included): silent from the next sample on.
            const int fell = _mm_movemask_ps(_mm_cmpngt_ps(level[g], _mm_set1_ps(kVoiceIdleLevel)));
            laneFell = laneFell || (fell & laneMask[g]) != 0;
        }
        if (isTick) tickLanes();

        for (int32_t g = 0; g < groupCount; ++g)
        {
            const int32_t first = g * kLaneWidth;
            const __m128 cutoff =
                _mm_min_ps(_mm_set1_ps(shape.cutoffLimit), _mm_load_ps(lanes.cutoff + first));
            const __m128 band = _mm_load_ps(lanes.band + first);
            const __m128 low = _mm_add_ps(_mm_load_ps(lanes.low + first), _mm_mul_ps(cutoff, band));
            const __m128 error = _mm_mul_ps(
                _mm_sub_ps(_mm_sub_ps(_mm_add_ps(_mm_mul_ps(band, _mm_set1_ps(shape.damping)), low),
                                      input[g]),
                           _mm_load_ps(lanes.prevInput + first)),
                cutoff);
            const __m128 limited =
                _mm_min_ps(_mm_set1_ps(kBandStateLimit),
                           _mm_max_ps(_mm_set1_ps(-kBandStateLimit), _mm_sub_ps(band, error)));
            _mm_store_ps(lanes.cutoff + first, cutoff);
            _mm_store_ps(lanes.low + first, low);
            _mm_store_ps(
                lanes.band + first,
                _mm_sub_ps(limited,
                           _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(limited, _mm_set1_ps(0.2f)), limited),
                                      limited)));
            _mm_store_ps(lanes.prevInput + first, input[g]);

            const __m128 out =
                _mm_mul_ps(_mm_mul_ps(low, level[g]), _mm_load_ps(lanes.gainFactor + first));
            _mm_store_ps(outLeft + first, _mm_mul_ps(out, _mm_load_ps(lanes.leftGain + first)));
            if (!sameGains)
                _mm_store_ps(outRight + first,
                             _mm_mul_ps(out, _mm_load_ps(lanes.rightGain + first)));
        }

        for (int32_t lane = 0; lane < laneCount; ++lane)
            sumLeft += outLeft[lane];
        if (sameGains)
        {
            sumRight = sumLeft;
            return;
        }
        for (int32_t lane = 0; lane < laneCount; ++lane)
            sumRight += outRight[lane];
    }

    /** One step of oscillator 1 or 2 in four lanes. A lane whose phase is back at the bottom
        starts its new cycle through the scalar step. */
    template <int number>
    __m128 stepOscillators(OscillatorLanes& osc, int32_t first)
    {
        const __m128 phase = _mm_load_ps(osc.phase + first);
        const __m128 max = _mm_load_ps(osc.max + first);
        const __m128 increment = _mm_load_ps(osc.increment + first);
        const __m128 sin0 = _mm_load_ps(osc.sin0 + first);
        const __m128 sin1 = _mm_load_ps(osc.sin1 + first);

        const __m128 rising = _mm_add_ps(phase, increment);
        // Not above 1 (NaN included, as in the scalar test): a new cycle.
        const int starts = _mm_movemask_ps(_mm_cmpngt_ps(rising, _mm_set1_ps(1.0f)));
        Oscillator starting[kLaneWidth];
        for (int lane = 0; lane < kLaneWidth; ++lane)
            if (starts & (1 << lane)) starting[lane] = osc.get(first + lane);

        const __m128 turns = _mm_cmpgt_ps(rising, max);
        const __m128 x =
            select(turns, _mm_sub_ps(_mm_mul_ps(_mm_set1_ps(2.0f), max), rising), rising);
        const __m128 y = _mm_sub_ps(_mm_mul_ps(_mm_load_ps(osc.coef + first), sin0), sin1);
        _mm_store_ps(osc.phase + first, x);
        _mm_store_ps(osc.increment + first,
                     _mm_xor_ps(increment, _mm_and_ps(turns, _mm_set1_ps(-0.0f))));
        _mm_store_ps(osc.sin1 + first, sin0);
        _mm_store_ps(osc.sin0 + first, y);
        const __m128 out = _mm_div_ps(y, x);
        if (starts == 0) return out;

        alignas(16) float outs[kLaneWidth];
        _mm_store_ps(outs, out);
        for (int lane = 0; lane < kLaneWidth; ++lane)
        {
            if (!(starts & (1 << lane))) continue;
            const Voice& voice = engine.voices[laneVoice[first + lane]];
            Oscillator& oscillator = starting[lane];
            outs[lane] = number == 1 ? oscillator.step(voice.osc1Level, period1(voice))
                                     : oscillator.step(voice.osc2Level, period2(voice));
            osc.set(first + lane, oscillator);
        }
        return _mm_load_ps(outs);
    }

    /** The control tick of every lane, in voice order on the records: it is rare, and the
        shared cutoff modulation moves once per sounding voice. */
    void tickLanes()
    {
        for (int32_t lane = 0; lane < laneCount; ++lane)
        {
            Voice& voice = engine.voices[laneVoice[lane]];
            voice.amp = {lanes.level[lane], lanes.rate[lane], lanes.target[lane]};
            tickVoice(voice);
            lanes.rate[lane] = voice.amp.rate;
            lanes.target[lane] = voice.amp.target;
            lanes.cutoff[lane] = voice.filter.cutoff;
        }
    }

    VoiceLanes lanes;
    alignas(16) float outLeft[kVoiceCount] = {};  // the lanes' samples, times leftGain
    alignas(16) float outRight[kVoiceCount] = {}; // and times rightGain
    int32_t laneVoice[kVoiceCount] = {};
    int32_t laneCount = 0;
    int32_t groupCount = 0;
    int laneMask[kGroups] = {}; // per group, the lanes that hold a voice
    bool laneFell = false;      // a lane's voice is no longer sounding
    bool sameGains = true;
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
    if (engine.activeVoices <= 0 && engine.eventBuffer[0] >= numSamples)
    {
        // Nothing sounds and nothing starts: no generator moves.
        std::memset(left, 0, sizeof(float) * static_cast<size_t>(numSamples));
        std::memset(right, 0, sizeof(float) * static_cast<size_t>(numSamples));
        engine.eventBuffer[0] = kEventTerminator;
        return;
    }
    BlockRender(engine).run(left, right, numSamples, path);
}

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
