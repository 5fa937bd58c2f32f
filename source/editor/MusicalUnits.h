// SPDX-License-Identifier: GPL-3.0-or-later
// The sound parameters in the units a musician dials: semitones, cents, milliseconds, hertz,
// percent. Every quantity is read off the synth library's own mapping (recalcEngine and
// the filter and note functions) at the processor's sample rate, so a read-out cannot drift from
// what plays; typed quantities go back through the same mapping by bisection.
//
// Which quantity each parameter shows (the read-outs are 50 pixels wide, so units are short):
//   OSC Mix, Noise, VCF Reso, VCF Sus, ENV Sus   percent of the level or amount
//   VCF Env, VCF LFO, VCF Vel                    percent of the deepest modulation of the
//                                                cutoff; VCF Vel "Off" below 0.05
//   OSC Tune, Octave, Gld Bend                   semitones
//   OSC Fine, Tuning                             cents
//   Vibrato                                      cents of the pitch swing (below the middle
//                                                only oscillator 2 swings; typing "8 ct o2"
//                                                asks for that half)
//   Gld Rate, VCF/ENV Att, Dec, Rel              the time constant; Gld Rate "Off" below 0.02
//   VCF Freq                                     the cutoff in Hz for the key A4 at velocity
//                                                64 (the filter follows the keyboard)
//   LFO Rate                                     hertz
// Glide shows its mode name, which is the parameter's own text.
#pragma once

#include "BraskParameterIds.h"

#include <cstdint>
#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class MusicalUnits
{
public:
    enum class Reading
    {
        kNotAQuantity, ///< a plain number or another text: the parameter's own conversion reads it
        kValue,        ///< a quantity in this parameter's unit, within its range
        kRefused,      ///< a quantity in another unit, or beyond the range
    };

    /** sound holds the 24 values that play now: the cutoff for A4 depends on the pitch A4 plays
        at (Octave, Tuning) and on how far the resonance lets the filter open. */
    MusicalUnits(double sampleRate, const double* sound);

    /** The text of a sound parameter at a normalized value; false for Glide and other IDs. */
    bool format(uint32_t id, double normalized, std::string& text) const;
    /** Reads a typed quantity ("7 st", "200 ms", "1.5 s", "440 Hz", "25 %", "Off"). */
    Reading parse(uint32_t id, const std::string& text, double& normalized) const;

    /** The quantity in seconds, hertz, semitones, cents or percent; NaN where the parameter
        is off. */
    double quantity(uint32_t id, double normalized) const;

private:
    double sampleRate;
    double sound[kSoundParamCount];
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
