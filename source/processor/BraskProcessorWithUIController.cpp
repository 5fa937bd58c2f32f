// SPDX-License-Identifier: GPL-3.0-or-later
#include "BraskProcessorWithUIController.h"

#include "BraskCids.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

BraskProcessorWithUIController::BraskProcessorWithUIController()
{
    setControllerClass(kBraskControllerWithUIUID);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
