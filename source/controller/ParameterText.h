// SPDX-License-Identifier: GPL-3.0-or-later
// Reading numbers out of the texts that users type into a host's parameter fields. Hosts hand
// the texts over as NUL-terminated UTF-16; the numbers in them are plain ASCII.
#pragma once

#include "pluginterfaces/base/ftypes.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** Reads a floating-point number from the start of the text with the C library's grammar and
    decimal point (the SDK's own conversions print and read through the same library): leading
    white space is skipped and whatever follows the number is ignored. "inf", "nan" and numbers
    beyond the double range read as they do there (infinity, NaN). False when the text does not
    start with a number or is null. */
bool readLeadingDouble(const char16* text, double& value);

/** Reads a decimal integer from the start of the text: leading white space, an optional sign,
    then digits; whatever follows the digits is ignored. Magnitudes beyond the int64 range
    saturate. False when there are no digits or the text is null. */
bool readLeadingInteger(const char16* text, int64& value);

/** Whether every surrogate code unit of the text belongs to a pair. False for null. */
bool isWellFormedUtf16(const char16* text);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
