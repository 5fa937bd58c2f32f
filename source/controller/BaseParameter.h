// SPDX-License-Identifier: GPL-3.0-or-later
// BaseParameter: the common ground of this family's own parameter classes. It starts at the
// normalized value 0 whatever its default (the SDK's Parameter starts at the default), and reads
// typed text as a normalized value clamped to 0..1.
#pragma once

#include "public.sdk/source/vst/vstparameters.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class BaseParameter : public Parameter
{
public:
    /** Title and units (units may be null) are cut to 127 code units. */
    BaseParameter(const TChar* title, const TChar* units, int32 stepCount,
                  ParamValue defaultNormalized, int32 flags, ParamID id, UnitID unitId);
    ~BaseParameter() override;

    /** Clamps to 0..1; true when the value changed (dependents are told). */
    bool setNormalized(ParamValue value) SMTG_OVERRIDE;
    /** Reads a leading number, clamps it to 0..1 and converts it with toNormalized. False when
        the text starts with no number or with one that is NaN or infinite. */
    bool fromString(const TChar* string, ParamValue& valueNormalized) const SMTG_OVERRIDE;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
