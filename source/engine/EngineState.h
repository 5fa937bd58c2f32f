// SPDX-License-Identifier: GPL-3.0-or-later
// The synthesis engine's state: the block's note events, eight voice records and the
// engine-wide values, as plain records that the engine's step functions work on.
//
// Engine arithmetic is single precision unless a function says otherwise; pitch is a period in
// samples; rates are one-pole factors (each step moves a value by that fraction of its distance
// to the target). The field order is part of the design: it is the order the engine has always
// kept its state in.
#pragma once

#include "pluginterfaces/base/ftypes.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

constexpr int32 kVoiceCount = 8;

/** Note events one block can carry; later ones are dropped. */
constexpr int32 kMaxBlockEvents = 512;
/** int32 per event record: sample offset, note, velocity (0 = note-off), note identifier. */
constexpr int32 kEventRecordSize = 4;
/** The records plus the terminator's sample offset. */
constexpr int32 kEventBufferSize = kMaxBlockEvents * kEventRecordSize + 1;
/** Sample offset that ends the records; larger than any block. */
constexpr int32 kEventTerminator = 99999999;

/** A voice's level at or below which it is idle: skipped while rendering. */
constexpr float kVoiceIdleLevel = 0.001f;

struct Voice
{
    float period;       // current period in samples, gliding toward targetPeriod
    float osc1Phase;    // oscillator 1 phase; runs up to osc1Max and back down
    float osc1Max;      // oscillator 1 turning point
    float osc1Step;     // oscillator 1 phase step per sample; the sign is the direction
    float osc1Sin0;     // oscillator 1 sine recurrence, current value (level-scaled)
    float osc1Sin1;     // oscillator 1 sine recurrence, previous value
    float osc1Coef;     // oscillator 1 recurrence factor, 2 cos(step)
    float osc1Dc;       // oscillator 1 DC correction added every sample
    float detune;       // oscillator 2 period ratio, taken at note start
    float osc2Phase;    // oscillator 2, as oscillator 1
    float osc2Max;      //
    float osc2Step;     //
    float osc2Sin0;     //
    float osc2Sin1;     //
    float osc2Coef;     //
    float osc2Dc;       //
    float keyCutoff;    // filter factor from velocity and the note's period
    float cutoff;       // current filter coefficient
    float filtLow;      // filter low-pass state
    float filtBand;     // filter band state
    float prevInput;    // filter input of the previous sample
    float saw;          // leaky integrator turning the pulses into a sawtooth
    float env;          // amplitude envelope level
    float envRate;      // amplitude envelope rate now in force
    float envTarget;    // amplitude envelope target (2 in attack, 0 in release)
    float fenv;         // filter envelope level
    float fenvRate;     // filter envelope rate now in force
    float fenvTarget;   // filter envelope target
    float osc1Level;    // oscillator 1 level (velocity and volume)
    float osc2Level;    // oscillator 2 level
    float targetPeriod; // period of the note being played
    int32 note;         // note held by the voice; 0 = none (mono modes: the held-note queue)
    int32 noteId;       // note identifier of the event that started the voice
    float pitchFactor;  // per-voice period factor
    float gainFactor;   // per-voice output factor
    float leftGain;     // per-voice factor into the left output
    float rightGain;    // per-voice factor into the right output
};

static_assert(sizeof(Voice) == 37 * 4, "a voice is 37 fields of 32 bits");

struct EngineState
{
    int32 eventBuffer[kEventBufferSize];
    /** Voices still sounding after the last rendered block; decides whether a block renders. */
    int32 activeVoices;
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
    float lfoPhase;      // radians, kept in (-pi, pi]
    float lfoStep;       // radians per control tick
    float modWheel;      // added to both vibrato depths
    float aftertouch;    // added to the LFO depth on the cutoff
    float bendInverse;   // 1 / bendRatio, on the oscillator periods
    float bendRatio;     // pitch-bend frequency ratio, on the filter coefficient
    float resoScale;     // Filter Resonance controller factor on resoDamping
    float levelScale;    // constant part of every voice's level
    float volume;        // master level from OSC Mix, Noise and VCF Reso
    float vibrato1;      // LFO depth on oscillator 1's period
    float vibrato2;      // LFO depth on oscillator 2's period
    float glideCoef;     // glide rate per control tick
    float glideBend;     // glide start offset in semitones
    int32 tickCountdown; // samples left before the next control tick
    int32 lastNote;      // note of the last note that started a voice
    int32 velocityOff;   // 1: note-on velocities are replaced by 80
    int32 voiceMode;     // 0..5, the Glide list entry
    uint32 noiseState;   // noise generator state
};

/** Voice modes, the entries of the Glide list. */
enum VoiceMode : int32
{
    kModePoly = 0,
    kModePolyLegato = 1,
    kModePolyGlide = 2,
    kModeMono = 3,
    kModeMonoLegato = 4,
    kModeMonoGlide = 5,
};

inline bool isMonoMode(int32 mode)
{
    return mode >= kModeMono;
}
/** Whether a new note starts from the pitch of the previous one. */
inline bool glidesFromLastNote(int32 mode)
{
    return mode != kModePoly && mode != kModeMono;
}

/** Silences every voice and restores the performance values of a new instance. The values that
    the parameter mapping derives are left for it to fill. */
void resetEngine(EngineState& engine);

/** resetEngine, but the MIDI performance controllers keep their values (a non-finite one goes
    back to its neutral value): silent voices, empty events, noise and LFO at their start. */
void restartEngine(EngineState& engine);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
