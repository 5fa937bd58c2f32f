// SPDX-License-Identifier: GPL-3.0-or-later
// Class IDs of the module. All share their first two words.
#pragma once

#include "pluginterfaces/base/funknown.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** The registered processor, BraskProcessorWithUIController. */
static const FUID kBraskProcessorUID(0x54617276, 0x42726173, 0x6B50726F, 0x63303031);
/** The registered controller, BraskControllerWithUI. */
static const FUID kBraskControllerWithUIUID(0x54617276, 0x42726173, 0x6B437472, 0x6C554931);
/** The plain controller, BraskController; set by BraskProcessor, never registered. */
static const FUID kBraskControllerUID(0x54617276, 0x42726173, 0x6B437472, 0x6C303031);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
