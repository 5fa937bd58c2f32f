// SPDX-License-Identifier: GPL-3.0-or-later
// PlugFrame: the host's side of an embedded plug-in view, the frame the view asks to resize and,
// where the platform has one, the run loop the view's window is driven by (see RunLoop).
#pragma once

#include "HostOwned.h"
#include "RunLoop.h"

#include "pluginterfaces/gui/iplugview.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

class PlugFrame : public HostOwned<IPlugFrame>
{
public:
    RunLoop& runLoop() { return loop; }

    /** Grants the size: the view is told its new size at once. */
    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) SMTG_OVERRIDE;

    /** The frame, and the run loop where the platform lends one. */
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;

private:
    RunLoop loop;
};

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
