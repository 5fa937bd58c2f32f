// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 (views) to UTF-16 (the controller's parameter texts) and back.
#pragma once

#include "pluginterfaces/vst/vsttypes.h"

#include <string>

namespace VSTGUI {

/** Converts up to the end of `text`, or the first invalid sequence, into `out` (String128,
 *  always terminated). */
void utf8ToString128(const std::string& text, Steinberg::Vst::String128 out);
/** Converts a terminated UTF-16 string (at most 128 units are read); unpaired surrogates
 *  become U+FFFD. */
std::string string128ToUtf8(const Steinberg::Vst::TChar* text);

} // namespace VSTGUI
