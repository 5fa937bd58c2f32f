// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditorTemplate.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstinterappaudio.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

const char* editorTemplateFor(FUnknown* hostContext)
{
    FUnknownPtr<IInterAppAudioHost> host(hostContext); // holds the query's reference
    if (!host) return kEditorTemplate;

    ViewRect screen(0, 0, 0, 0);
    float scale = 1.f;
    if (host->getScreenSize(&screen, &scale) != kResultOk) return kEditorTemplate;
    if (screen.right >= 1024) return "EditorIPad";
    if (screen.right == 568) return "EditorIPhone4Inch";
    return kEditorTemplate;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
