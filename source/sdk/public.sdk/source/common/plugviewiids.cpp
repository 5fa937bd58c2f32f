// SPDX-License-Identifier: GPL-3.0-or-later
// Interface IDs of the editor-view interfaces. The packaged SDK declares them but defines them
// nowhere, although its edit controller refers to IPlugView.
#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

namespace Steinberg {

DEF_CLASS_IID(IPlugView)
DEF_CLASS_IID(IPlugFrame)
DEF_CLASS_IID(IPlugViewContentScaleSupport)

#if SMTG_OS_LINUX // declared only there, as in iplugview.h
namespace Linux {
DEF_CLASS_IID(IEventHandler)
DEF_CLASS_IID(ITimerHandler)
DEF_CLASS_IID(IRunLoop)
} // namespace Linux
#endif

} // namespace Steinberg
