// SPDX-License-Identifier: GPL-3.0-or-later
#include "IndexedParameter.h"

#include "ParameterText.h"

#include "pluginterfaces/base/fstrdefs.h"

#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

IndexedParameter::IndexedParameter(const TChar* title, const TChar* units, int32 stepCount,
                                   ParamValue defaultNormalized, int32 flags, ParamID id,
                                   UnitID unitId)
    : BaseParameter(title, units, stepCount, defaultNormalized, flags, id, unitId),
      lastIndex(stepCount > 0 ? stepCount : 0), strings(new String128[lastIndex + 1]())
{}

IndexedParameter::~IndexedParameter()
{
    delete[] strings;
}

void IndexedParameter::setString(int32 index, const String128 text)
{
    if (index < 0 || index > lastIndex || !text) return;
    int32 i = 0;
    for (; i < 127 && text[i] != 0; ++i)
        strings[index][i] = text[i];
    strings[index][i] = 0;
}

bool IndexedParameter::setNormalized(ParamValue value)
{
    return BaseParameter::setNormalized(value);
}

void IndexedParameter::toString(ParamValue valueNormalized, String128 string) const
{
    const ParamValue plain = toPlain(valueNormalized);
    // Below 0 (and NaN) shows the first entry, above the list the last.
    const int32 index = plain >= lastIndex ? lastIndex
                        : plain >= 0.0     ? static_cast<int32>(plain)
                                           : 0;
    for (int32 i = 0; i < 128; ++i)
        string[i] = strings[index][i];
}

bool IndexedParameter::fromString(const TChar* string, ParamValue& valueNormalized) const
{
    if (!string || string[0] == 0) return false;
    for (int32 i = 0; i <= lastIndex; ++i)
    {
        if (strcmp16(string, strings[i]) == 0)
        {
            valueNormalized = toNormalized(i);
            return true;
        }
    }
    int64 number = 0;
    if (!readLeadingInteger(string, number) || number < 0 || number > info.stepCount) return false;
    valueNormalized = toNormalized(static_cast<ParamValue>(number));
    return true;
}

ParamValue IndexedParameter::toPlain(ParamValue valueNormalized) const
{
    // Whole entry indexes only: a host that stores the plain value must read back the entry it
    // set, and one step up from there must be the next entry.
    const ParamValue plain = std::floor((info.stepCount + 1) * valueNormalized);
    return plain >= info.stepCount ? info.stepCount : plain;
}

ParamValue IndexedParameter::toNormalized(ParamValue plainValue) const
{
    return plainValue / info.stepCount;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
