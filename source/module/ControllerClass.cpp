// SPDX-License-Identifier: GPL-3.0-or-later
// The controller class of the factory. Until the controller exists the factory holds one class.
#include "BraskFactory.h"

#include "public.sdk/source/main/pluginfactory.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

void registerControllerClass(CPluginFactory& /*factory*/) {}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
