// SPDX-License-Identifier: GPL-3.0-or-later
#include "BaseParameter.h"

#include "ParameterText.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

void copyText(String128 destination, const TChar* source)
{
    int32 i = 0;
    for (; i < 127 && source[i] != 0; ++i)
        destination[i] = source[i];
    destination[i] = 0;
}

} // namespace

BaseParameter::BaseParameter(const TChar* title, const TChar* units, int32 stepCount,
                             ParamValue defaultNormalized, int32 flags, ParamID id, UnitID unitId)
{
    if (title) copyText(info.title, title);
    if (units) copyText(info.units, units);
    info.stepCount = stepCount;
    info.defaultNormalizedValue = defaultNormalized;
    info.flags = flags;
    info.id = id;
    info.unitId = unitId;
}

BaseParameter::~BaseParameter() = default;

bool BaseParameter::setNormalized(ParamValue value)
{
    return Parameter::setNormalized(value);
}

bool BaseParameter::fromString(const TChar* string, ParamValue& valueNormalized) const
{
    double read = 0.0;
    if (!readLeadingDouble(string, read) || !std::isfinite(read)) return false;
    valueNormalized = toNormalized(std::clamp(read, 0.0, 1.0));
    return true;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
