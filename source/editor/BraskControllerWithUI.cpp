// SPDX-License-Identifier: GPL-3.0-or-later
#include "BraskControllerWithUI.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

BraskControllerWithUI::BraskControllerWithUI() = default;

BraskControllerWithUI::~BraskControllerWithUI() = default;

IPlugView* PLUGIN_API BraskControllerWithUI::createView(FIDString /*name*/)
{
    return nullptr;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
