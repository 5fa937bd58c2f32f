// SPDX-License-Identifier: GPL-3.0-or-later
// InterAppAudioControlsController: the sub-controller for the buttons of hosts that offer
// IInterAppAudioHost (tag 5000 opens the host's settings, 5001 the preset browser for loading,
// 5002 for saving). Only a press acts, not the release.
#pragma once

#include "description/IController.h"

#include "pluginterfaces/vst/ivstinterappaudio.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class InterAppAudioControlsController : public VSTGUI::IController
{
public:
    enum Tag : int32_t
    {
        kSettingsTag = 5000,
        kLoadPresetTag = 5001,
        kSavePresetTag = 5002,
    };

    /** Keeps the bare host pointer: the host context outlives every editor. */
    explicit InterAppAudioControlsController(IInterAppAudioHost* host);
    ~InterAppAudioControlsController() override;
    InterAppAudioControlsController(const InterAppAudioControlsController&) = delete;
    InterAppAudioControlsController& operator=(const InterAppAudioControlsController&) = delete;

    void valueChanged(VSTGUI::CControl* control) override;

    /** The host's preset manager for the processor's class, asked for once; null if the host
     *  gives none (then the load and save buttons do nothing). */
    IInterAppAudioPresetManager* getPresetManager();

private:
    IInterAppAudioHost* interAppAudioHost;
    IInterAppAudioPresetManager* presetManager = nullptr;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
