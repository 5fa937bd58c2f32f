// SPDX-License-Identifier: GPL-3.0-or-later
// The synthesis engine's state: the block's note events, eight voice records and the
// engine-wide values, as plain records that the engine's step functions work on.
//
// Engine arithmetic is single precision unless a function says otherwise; pitch is a period in
// samples; rates are one-pole factors (each step moves a value by that fraction of its distance
// to the target). The field order is part of the design: it is the order the engine has always
// kept its state in.
#pragma once

#include "Envelope.h"
#include "Filter.h"
#include "Oscillator.h"

#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Synth {

constexpr int32_t kVoiceCount = 8;

/** Note events one block can carry; later ones are dropped. */
constexpr int32_t kMaxBlockEvents = 512;
/** int32_t per event record: sample offset, note, velocity (0 = note-off), note identifier. */
constexpr int32_t kEventRecordSize = 4;
/** The records plus the terminator's sample offset. */
constexpr int32_t kEventBufferSize = kMaxBlockEvents * kEventRecordSize + 1;
/** Sample offset that ends the records; larger than any block. */
constexpr int32_t kEventTerminator = 99999999;

/** A voice's level at or below which it is idle: skipped while rendering. */
constexpr float kVoiceIdleLevel = 0.001f;

/** One voice: an oscillator, envelope and filter record each, with their steps as operations.
    The layout is the voice's 37 fields of 32 bits in their long-standing order, one to one:

    | field                  | record field          | field                   | record field     |
    |------------------------|-----------------------|-------------------------|------------------|
    | period                 | period                | cutoff                  | filter.cutoff    |
    | osc1Phase              | osc1.phase            | filtLow                 | filter.low       |
    | osc1Max                | osc1.max              | filtBand                | filter.band      |
    | osc1Step               | osc1.increment        | prevInput               | filter.prevInput |
    | osc1Sin0, osc1Sin1     | osc1.sin0, osc1.sin1  | saw                     | saw              |
    | osc1Coef               | osc1.coef             | env                     | amp.level        |
    | osc1Dc                 | osc1.dc               | envRate, envTarget      | amp.rate, .target|
    | detune                 | detune                | fenv                    | filterEnv.level  |
    | osc2Phase .. osc2Dc    | osc2.phase .. osc2.dc | fenvRate, fenvTarget    | filterEnv.rate,  |
    | keyCutoff              | filter.keyCutoff      |                         |   .target        |
    | osc1Level .. rightGain | the same names        |                         |                  |
 */
struct Voice
{
    float period;       // current period in samples, gliding toward targetPeriod
    Oscillator osc1;    // oscillator 1
    float detune;       // oscillator 2 period ratio, taken at note start
    Oscillator osc2;    // oscillator 2, tuned by detune against oscillator 1
    Filter filter;      // low-pass filter with its key factor and coefficient
    float saw;          // leaky integrator turning the pulses into a sawtooth
    Envelope amp;       // amplitude envelope, stepped every sample
    Envelope filterEnv; // filter envelope, stepped on control ticks
    float osc1Level;    // oscillator 1 level (velocity and volume)
    float osc2Level;    // oscillator 2 level
    float targetPeriod; // period of the note being played
    int32_t note;       // note held by the voice; 0 = none (mono modes: the held-note queue)
    int32_t noteId;     // note identifier of the event that started the voice
    float pitchFactor;  // per-voice period factor
    float gainFactor;   // per-voice output factor
    float leftGain;     // per-voice factor into the left output
    float rightGain;    // per-voice factor into the right output
};

static_assert(sizeof(Voice) == 37 * 4, "a voice is 37 fields of 32 bits");

struct EngineState
{
    int32_t eventBuffer[kEventBufferSize];
    /** Voices still sounding after the last rendered block; decides whether a block renders. */
    int32_t activeVoices;
    Voice voices[kVoiceCount];

    float periodScale;  // period of note 0 in samples (sample rate, Octave, Tuning)
    float osc2Ratio;    // period ratio of oscillator 2 to oscillator 1
    float cutoffBase;   // VCF Freq in the logarithmic cutoff domain
    float cutoffSmooth; // smoothed cutoff modulation, the filter's running state
    float resoDamping;  // filter damping from VCF Reso
    float lfoToCutoff;  // LFO depth on the cutoff
    float envToCutoff;  // filter envelope depth on the cutoff
    float velToCutoff;  // velocity depth on the cutoff
    float filterModCtl; // cutoff offset from the Filter Mod controllers
    float oscMix;       // level of oscillator 2 relative to oscillator 1
    float noiseLevel;   // noise amplitude
    float ampAttack;    // amplitude envelope rates per sample
    float ampDecay;
    float ampSustain;
    float ampRelease;
    float filtAttack; // filter envelope rates per control tick
    float filtDecay;
    float filtSustain;
    float filtRelease;
    float lfoPhase;        // radians, kept in (-pi, pi]
    float lfoStep;         // radians per control tick
    float modWheel;        // added to both vibrato depths
    float aftertouch;      // added to the LFO depth on the cutoff
    float bendInverse;     // 1 / bendRatio, on the oscillator periods
    float bendRatio;       // pitch-bend frequency ratio, on the filter coefficient
    float resoScale;       // Filter Resonance controller factor on resoDamping
    float levelScale;      // constant part of every voice's level
    float volume;          // master level from OSC Mix, Noise and VCF Reso
    float vibrato1;        // LFO depth on oscillator 1's period
    float vibrato2;        // LFO depth on oscillator 2's period
    float glideCoef;       // glide rate per control tick
    float glideBend;       // glide start offset in semitones
    int32_t tickCountdown; // samples left before the next control tick
    int32_t lastNote;      // note of the last note that started a voice
    int32_t velocityOff;   // 1: note-on velocities are replaced by 80
    int32_t voiceMode;     // 0..5, the Glide list entry
    uint32_t noiseState;   // noise generator state
    int32_t osc2Restarts;  // 1: a note start puts oscillator 2 half a cycle behind oscillator 1
};

/** Voice modes, the entries of the Glide list. */
enum VoiceMode : int32_t
{
    kModePoly = 0,
    kModePolyLegato = 1,
    kModePolyGlide = 2,
    kModeMono = 3,
    kModeMonoLegato = 4,
    kModeMonoGlide = 5,
};

inline bool isMonoMode(int32_t mode)
{
    return mode >= kModeMono;
}
/** Whether a new note starts from the pitch of the previous one. */
inline bool glidesFromLastNote(int32_t mode)
{
    return mode != kModePoly && mode != kModeMono;
}

/** Silences every voice and restores the performance values of a new instance. The values that
    the parameter mapping derives are left for it to fill. */
void resetEngine(EngineState& engine);

/** resetEngine, but the MIDI performance controllers keep their values (a non-finite one goes
    back to its neutral value): silent voices, empty events, noise and LFO at their start. */
void restartEngine(EngineState& engine);

} // namespace Synth
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
