// SPDX-License-Identifier: GPL-3.0-or-later
// OctaveParameter: "Octave", continuous from -2 to 2 like any range parameter, but shown as the
// whole octave the engine plays. The engine steps at multiples of 1/4.9 of the normalized range,
// not at the quarter points that rounding the plain value would show.
#pragma once

#include "public.sdk/source/vst/vstparameters.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class OctaveParameter : public RangeParameter
{
public:
    /** Range -2 to 2, continuous, automatable, starting at its default. */
    OctaveParameter(const TChar* title, ParamID id, UnitID unitId, ParamValue defaultNormalized);

    /** The octave that plays, floor(4.9 x) - 2 and at most 2, for x clamped to 0..1; NaN shows
        as the range parameter shows it. Text entry stays the range parameter's: "-1" is 0.25. */
    void toString(ParamValue valueNormalized, String128 string) const SMTG_OVERRIDE;

    /** The engine's octave step, -2 to 2, for a normalized value. */
    static int32 playedOctave(ParamValue valueNormalized);
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
