// SPDX-License-Identifier: GPL-3.0-or-later
// BraskControllerWithUI: the controller class that the factory registers and creates. Until
// the editor is attached it opens no view, and hosts show their own controls for the parameters.
#pragma once

#include "BraskController.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class BraskControllerWithUI : public BraskController
{
public:
    BraskControllerWithUI();
    ~BraskControllerWithUI() override;

    /** No editor yet: null for every view name. */
    IPlugView* PLUGIN_API createView(FIDString name) SMTG_OVERRIDE;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
