// SPDX-License-Identifier: GPL-3.0-or-later
#include "InterAppAudioControlsController.h"

#include "BraskCids.h"

#include "views/CControl.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

InterAppAudioControlsController::InterAppAudioControlsController(IInterAppAudioHost* host)
    : interAppAudioHost(host)
{}

InterAppAudioControlsController::~InterAppAudioControlsController()
{
    if (presetManager) presetManager->release();
}

IInterAppAudioPresetManager* InterAppAudioControlsController::getPresetManager()
{
    if (!presetManager && interAppAudioHost)
    {
        TUID processorClass;
        kBraskProcessorUID.toTUID(processorClass);
        presetManager = interAppAudioHost->createPresetManager(processorClass);
    }
    return presetManager;
}

void InterAppAudioControlsController::valueChanged(VSTGUI::CControl* control)
{
    if (!control || control->getValue() == 0.f || !interAppAudioHost) return;
    switch (control->getTag())
    {
    case kSettingsTag:
        interAppAudioHost->showSettingsView();
        break;
    case kLoadPresetTag:
        if (IInterAppAudioPresetManager* manager = getPresetManager())
            manager->runLoadPresetBrowser();
        break;
    case kSavePresetTag:
        if (IInterAppAudioPresetManager* manager = getPresetManager())
            manager->runSavePresetBrowser();
        break;
    default:
        break;
    }
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
