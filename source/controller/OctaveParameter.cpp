// SPDX-License-Identifier: GPL-3.0-or-later
#include "OctaveParameter.h"

#include "pluginterfaces/base/ustring.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

OctaveParameter::OctaveParameter(const TChar* title, ParamID id, UnitID unitId,
                                 ParamValue defaultNormalized)
    : RangeParameter(title, id, STR16(""), -2.0, 2.0, 0.0, 0, ParameterInfo::kCanAutomate, unitId)
{
    // Kept normalized, as given: a plain default would round-trip through the range.
    info.defaultNormalizedValue = defaultNormalized;
    setNormalized(defaultNormalized);
    setPrecision(0);
}

int32 OctaveParameter::playedOctave(ParamValue valueNormalized)
{
    // The same double-precision expression as the engine's pitch mapping, so that the edges
    // fall on the same values.
    const double x = std::clamp(valueNormalized, 0.0, 1.0);
    return std::min(2, static_cast<int32>(std::floor(4.9 * x)) - 2);
}

void OctaveParameter::toString(ParamValue valueNormalized, String128 string) const
{
    if (std::isnan(valueNormalized))
    {
        RangeParameter::toString(valueNormalized, string);
        return;
    }
    UString wrapper(string, str16BufferSize(String128));
    if (!wrapper.printInt(playedOctave(valueNormalized))) string[0] = 0;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
