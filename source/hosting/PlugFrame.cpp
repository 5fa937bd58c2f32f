// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlugFrame.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

tresult PLUGIN_API PlugFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
    if (!view || !newSize) return kInvalidArgument;
    return view->onSize(newSize);
}

tresult PLUGIN_API PlugFrame::queryInterface(const TUID iid, void** obj)
{
    if (HostOwned<IPlugFrame>::queryInterface(iid, obj) == kResultOk) return kResultOk;
    return loop.queryInterface(iid, obj);
}

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
