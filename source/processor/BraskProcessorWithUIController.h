// SPDX-License-Identifier: GPL-3.0-or-later
// The registered processor: a BraskProcessor whose controller is the one with the editor.
#pragma once

#include "BraskProcessor.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class BraskProcessorWithUIController : public BraskProcessor
{
public:
    BraskProcessorWithUIController();
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
