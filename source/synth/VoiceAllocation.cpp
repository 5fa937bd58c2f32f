// SPDX-License-Identifier: GPL-3.0-or-later
// In the mono modes only voice 0 sounds, and the note fields of voices 1..7 hold the queue of
// held notes, most recent first. Note number 0 doubles as "no note".
#include "VoiceAllocation.h"

#include "Envelope.h"
#include "Oscillator.h"
#include "ParameterMapping.h"

#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

namespace {

/** ln(2) / 12: the exponent of one semitone. */
constexpr double kSemitoneExponent = 0.05776226505;
/** Level added at note start, so that a voice given a note counts as sounding at once. */
constexpr float kNoteStartLevel = 0.002f;
/** Note-on velocity used while VCF Vel turns velocity off. */
constexpr int32_t kFixedVelocity = 80;
/** Keeps the octave raising finite for a degenerate period scale. */
constexpr int kMaxOctaveRaises = 64;

float keyCutoff(const EngineState& engine, int32_t velocity, float period)
{
    return expf(static_cast<float>(velocity - 64) * engine.velToCutoff) / period;
}

void resetVoiceFactors(Voice& voice)
{
    voice.pitchFactor = 1.0f;
    voice.gainFactor = 1.0f;
    voice.leftGain = 1.0f;
    voice.rightGain = 1.0f;
}

void releaseEnvelopes(Voice& voice, const EngineState& engine)
{
    voice.amp.release(engine.ampRelease);
    voice.filterEnv.release(engine.filtRelease);
}

void release(Voice& voice, const EngineState& engine)
{
    releaseEnvelopes(voice, engine);
    voice.note = 0;
}

/** Voices 1..7 can still sound in a mono mode when it was switched on while they played. Such
    a voice goes when its queue entry does: without a note no key could ever release it. */
void releaseIfSounding(Voice& voice, const EngineState& engine)
{
    if (voice.amp.level > kVoiceIdleLevel) releaseEnvelopes(voice, engine);
}

/** A new note on voice 0 while it already holds one: it changes pitch without a new attack
    and pushes the held note into the queue. */
void legatoChange(EngineState& engine, int32_t note, int32_t velocity, int32_t noteId)
{
    Voice* voices = engine.voices;
    for (int32_t i = kVoiceCount - 1; i > 0; --i)
    {
        voices[i].note = voices[i - 1].note;
        if (voices[i].note == 0) releaseIfSounding(voices[i], engine);
    }

    Voice& voice = voices[0];
    const float period = notePeriod(engine, note);
    voice.targetPeriod = period;
    if (engine.voiceMode == kModeMono) voice.period = period;
    voice.filter.keyCutoff = keyCutoff(engine, velocity, period);
    voice.amp.level += kNoteStartLevel;
    voice.note = note;
    voice.noteId = noteId;
    resetVoiceFactors(voice);
}

int32_t chooseVoice(const EngineState& engine)
{
    if (isMonoMode(engine.voiceMode)) return 0;
    // The quietest voice past its attack; the lowest index among equals; voice 0 if all attack.
    int32_t chosen = 0;
    float lowest = 100.0f;
    for (int32_t i = 0; i < kVoiceCount; ++i)
    {
        const Voice& voice = engine.voices[i];
        if (voice.amp.target < kAttackTarget && voice.amp.level < lowest)
        {
            lowest = voice.amp.level;
            chosen = i;
        }
    }
    return chosen;
}

/** Puts oscillator 2 silent on the way down, half a cycle behind oscillator 1. */
void restartOscillator2(Voice& voice)
{
    const float step = voice.osc1.increment;
    float base;
    if (step > 0.0f)
    {
        base = 2.0f * voice.osc1.max - voice.osc1.phase;
        voice.osc2.increment = -step;
    }
    else
    {
        base = voice.osc1.phase;
        voice.osc2.increment = step;
    }
    voice.osc2.coef = 0.0f;
    voice.osc2.dc = 0.0f;
    voice.osc2.sin0 = 0.0f;
    voice.osc2.sin1 = 0.0f;
    voice.osc2.max = voice.period * kPi + base;
    voice.osc2.phase = voice.osc2.max;
}

void startNote(EngineState& engine, int32_t note, int32_t velocity, int32_t noteId)
{
    const int32_t index = chooseVoice(engine);
    Voice& voice = engine.voices[index];

    // Stacked voices are detuned by 0.002 semitone per voice index.
    const float period = notePeriod(engine, note + 0.002 * index);
    voice.targetPeriod = period;
    voice.detune = engine.osc2Ratio;

    // Start glideBend semitones above the note (glide modes: above the previous note).
    const int32_t interval = glidesFromLastNote(engine.voiceMode) ? note - engine.lastNote : 0;
    const double startRatio = std::pow(1.059463094359, static_cast<double>(interval) -
                                                           static_cast<double>(engine.glideBend));
    voice.period = static_cast<float>(period * startRatio);
    if (voice.period < kMinPeriod) voice.period = kMinPeriod;
    // The start floor holds for oscillator 2 too, as the target's does: below 3 samples its
    // pulse train's DC correction fails and the sawtooth integrator runs far above full scale.
    if (voice.detune * voice.period < kMinPeriod) voice.period = kMinPeriod / voice.detune;

    engine.lastNote = note;
    voice.noteId = noteId;
    voice.note = note;
    voice.filter.keyCutoff = keyCutoff(engine, velocity, period);

    const int32_t shifted = velocity + 64;
    const float scale = engine.volume * engine.levelScale;
    voice.osc1Level = static_cast<float>(scale * (shifted * shifted * 0.004 - 8.0));
    voice.osc2Level = voice.osc1Level * engine.oscMix;

    if (engine.osc2Restarts) restartOscillator2(voice);

    voice.amp.level += kNoteStartLevel;
    voice.amp.start(engine.ampAttack);
    voice.filterEnv.start(engine.filtAttack);
    resetVoiceFactors(voice);
}

void stopNote(EngineState& engine, int32_t note)
{
    Voice* voices = engine.voices;
    if (!isMonoMode(engine.voiceMode))
    {
        for (Voice& voice : engine.voices)
            if (voice.note == note) release(voice, engine);
        return;
    }

    if (voices[0].note != note)
    {
        // Takes the note out of the queue.
        for (int32_t i = 1; i < kVoiceCount; ++i)
            if (voices[i].note == note) release(voices[i], engine);
        return;
    }

    // The key is up: queue entries of the same note (struck twice) go with it, as every voice
    // holding a note goes in the polyphonic modes.
    for (int32_t k = 1; k < kVoiceCount; ++k)
        if (voices[k].note == note)
        {
            voices[k].note = 0;
            releaseIfSounding(voices[k], engine);
        }

    // Back to the most recent note still held, legato; or release.
    for (int32_t k = 1; k < kVoiceCount; ++k)
    {
        if (voices[k].note > 0)
        {
            Voice& voice = voices[0];
            voice.note = voices[k].note;
            voices[k].note = 0;
            releaseIfSounding(voices[k], engine);
            const float period = notePeriod(engine, voice.note);
            voice.targetPeriod = period;
            if (engine.voiceMode == kModeMono) voice.period = period;
            voice.filter.keyCutoff = 1.0f / period;
            return;
        }
    }
    release(voices[0], engine);
}

} // namespace

float notePeriod(const EngineState& engine, double pitch)
{
    float period = engine.periodScale * static_cast<float>(std::exp(-kSemitoneExponent * pitch));
    for (int i = 0;
         i < kMaxOctaveRaises && (period < kMinPeriod || engine.osc2Ratio * period < kMinPeriod);
         ++i)
        period = period + period;
    return period;
}

void noteOn(EngineState& engine, int32_t note, int32_t velocity, int32_t noteId)
{
    if (velocity <= 0)
    {
        stopNote(engine, note);
        return;
    }
    if (engine.velocityOff) velocity = kFixedVelocity;
    if (isMonoMode(engine.voiceMode) && engine.voices[0].note > 0)
        legatoChange(engine, note, velocity, noteId);
    else
        startNote(engine, note, velocity, noteId);
}

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
