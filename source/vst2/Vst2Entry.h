// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pluginterfaces/base/ftypes.h"
#include "pluginterfaces/fst/fst.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

/** The instrument's VST 2 unique ID. Hosts store it in their projects: never change it. */
constexpr int32 kVst2UniqueId = CCONST('T', 'v', 'B', 'k');

/** Builds one VST 2 instance through the module's factory; null when it cannot be built. */
AEffect* createEffectInstance(audioMasterCallback host);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg

extern "C" AEffect* VSTPluginMain(audioMasterCallback host);
