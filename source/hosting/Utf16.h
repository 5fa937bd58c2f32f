// SPDX-License-Identifier: GPL-3.0-or-later
// The plug-in's UTF-16 strings and the host's UTF-8. Malformed input never fails: an unpaired
// surrogate is kept as its own three bytes, a broken UTF-8 sequence as the bits it holds.
#pragma once

#include "pluginterfaces/vst/vsttypes.h"

#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

/** A UTF-16 string to UTF-8, read up to its terminator or `capacity` units (a String128 by
    default), whichever comes first; null gives an empty string. */
std::string toUtf8(const TChar* text, size_t capacity = 128);

/** UTF-8 text to a String128, cut where the next character would not fit. */
void toString128(const std::string& text, String128 out);

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
