// SPDX-License-Identifier: GPL-3.0-or-later
// IndexedParameter: a list parameter whose plain values are the indexes 0 to step count, each
// shown as a text of its own. The caller chooses the flags (a list passes kIsList).
#pragma once

#include "BaseParameter.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class IndexedParameter : public BaseParameter
{
public:
    /** The step count must be at least 1: the conversions divide by it. Every entry starts
        empty. */
    IndexedParameter(const TChar* title, const TChar* units, int32 stepCount,
                     ParamValue defaultNormalized, int32 flags, ParamID id, UnitID unitId);
    ~IndexedParameter() override;

    /** Sets the text of entry index (0 to step count; other indexes are ignored), cut to 127
        code units. */
    void setString(int32 index, const String128 text);

    bool setNormalized(ParamValue value) SMTG_OVERRIDE;
    /** Shows the entry of the index that toPlain gives, truncated and kept within the list. */
    void toString(ParamValue valueNormalized, String128 string) const SMTG_OVERRIDE;
    /** Accepts an entry text (exact, case-sensitive) or a leading whole number from 0 to step
        count; refuses everything else, the empty text included. */
    bool fromString(const TChar* string, ParamValue& valueNormalized) const SMTG_OVERRIDE;
    /** The entry index: floor((step count + 1) * value), capped at step count; 0.3 of 5 steps
        is 1. Below 0 it is negative and NaN stays NaN (toString shows entry 0 for both). */
    ParamValue toPlain(ParamValue valueNormalized) const SMTG_OVERRIDE;
    /** index / step count. */
    ParamValue toNormalized(ParamValue plainValue) const SMTG_OVERRIDE;

private:
    // The list's size is fixed at construction, whatever later becomes of info.stepCount.
    int32 lastIndex = 0;
    String128* strings = nullptr;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
