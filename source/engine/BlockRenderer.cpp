// SPDX-License-Identifier: GPL-3.0-or-later
#include "BlockRenderer.h"

#include "Envelope.h"
#include "Filter.h"
#include "Glide.h"
#include "Noise.h"
#include "Oscillator.h"
#include "VoiceAllocation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

constexpr float kTwoPi = 6.2831855f;
/** Leak of the sawtooth integrator per sample. */
constexpr float kSawLeak = 0.997f;

/** The values one renderBlock call works with. The engine fields that only the renderer
    changes (cutoff modulation, tick countdown, LFO phase, noise state) are worked on here and
    stored back at the end. */
class BlockRender
{
public:
    BlockRender(EngineState& engine, const double* paramValues)
        : engine(engine), paramValues(paramValues), shape(filterShape(engine)),
          bendRatio(engine.bendRatio), bendInverse(engine.bendInverse), glideCoef(engine.glideCoef),
          envToCutoff(engine.envToCutoff), noiseLevel(engine.noiseLevel),
          cutoffSmooth(engine.cutoffSmooth), lfoPhase(engine.lfoPhase),
          tickCountdown(engine.tickCountdown), noiseState(engine.noiseState)
    {
        lfoValue = sinf(lfoPhase);
        updateModulation();
    }

    void run(float* left, float* right, int32 numSamples)
    {
        const int32* record = engine.eventBuffer;
        if (engine.activeVoices <= 0 && record[0] >= numSamples)
        {
            std::memset(left, 0, sizeof(float) * static_cast<size_t>(numSamples));
            std::memset(right, 0, sizeof(float) * static_cast<size_t>(numSamples));
            finish();
            return;
        }

        int32 position = 0;
        for (;;)
        {
            const int32 end = std::max(position, std::min(record[0], numSamples));
            renderSamples(left, right, position, end);
            position = end;
            if (position == numSamples) break;
            noteOn(engine, paramValues, record[1], record[2], record[3]);
            record += kEventRecordSize;
        }

        engine.activeVoices = kVoiceCount;
        for (Voice& voice : engine.voices)
        {
            if (voice.env < kVoiceIdleLevel)
            {
                voice.envTarget = 0.0f;
                voice.env = 0.0f;
                voice.filtBand = 0.0f;
                voice.prevInput = 0.0f;
                voice.filtLow = 0.0f;
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

    float renderVoice(Voice& voice, float noise, bool isTick)
    {
        const float period1 = vibFactor1 * voice.period * bendInverse * voice.pitchFactor;
        const float period2 =
            voice.detune * voice.period * vibFactor2 * bendInverse * voice.pitchFactor;
        const float out1 =
            oscillatorStep(voice.osc1Phase, voice.osc1Max, voice.osc1Step, voice.osc1Sin0,
                           voice.osc1Sin1, voice.osc1Coef, voice.osc1Dc, voice.osc1Level, period1);
        const float out2 =
            oscillatorStep(voice.osc2Phase, voice.osc2Max, voice.osc2Step, voice.osc2Sin0,
                           voice.osc2Sin1, voice.osc2Coef, voice.osc2Dc, voice.osc2Level, period2);
        voice.saw = voice.saw * kSawLeak + voice.osc1Dc + out1 - voice.osc2Dc - out2;
        const float input = voice.saw + noise;

        ampEnvelopeStep(voice);
        if (isTick)
        {
            ampEnvelopePhaseChange(voice, engine);
            filterEnvelopeTick(voice, engine);
            cutoffSmooth = smoothCutoff(cutoffSmooth, cutoffTarget);
            updateCutoff(voice, envToCutoff, cutoffSmooth, bendRatio);
            glideStep(voice, glideCoef);
        }
        return filterStep(voice, shape, input);
    }

    void renderSamples(float* left, float* right, int32 begin, int32 end)
    {
        for (int32 i = begin; i < end; ++i)
        {
            const float noise = noiseStep(noiseState) * noiseLevel;
            const bool isTick = tick();
            float sumLeft = 0.0f;
            float sumRight = 0.0f;
            for (Voice& voice : engine.voices)
            {
                if (!(voice.env > kVoiceIdleLevel)) continue;
                const float out = renderVoice(voice, noise, isTick);
                sumLeft += out * voice.leftGain;
                sumRight += out * voice.rightGain;
            }
            left[i] = sumLeft;
            right[i] = sumRight;
        }
    }

    void finish()
    {
        engine.eventBuffer[0] = kEventTerminator;
        engine.cutoffSmooth = cutoffSmooth;
        engine.tickCountdown = tickCountdown;
        engine.lfoPhase = lfoPhase;
        engine.noiseState = noiseState;
    }

    EngineState& engine;
    const double* paramValues;
    const FilterShape shape;
    const float bendRatio;
    const float bendInverse;
    const float glideCoef;
    const float envToCutoff;
    const float noiseLevel;

    float cutoffSmooth;
    float lfoPhase;
    int32 tickCountdown;
    uint32 noiseState;

    float lfoValue = 0.0f;
    float cutoffTarget = 0.0f;
    float vibFactor1 = 1.0f;
    float vibFactor2 = 1.0f;
};

} // namespace

void renderBlock(EngineState& engine, const double* paramValues, float* left, float* right,
                 int32 numSamples)
{
    if (numSamples <= 0) return;
    BlockRender(engine, paramValues).run(left, right, numSamples);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
