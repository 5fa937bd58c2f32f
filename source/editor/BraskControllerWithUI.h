// SPDX-License-Identifier: GPL-3.0-or-later
// BraskControllerWithUI: the controller class that the factory registers and creates. It is the
// instrument's controller plus its editor: the view "editor" is a VST3Editor on the embedded
// description, and the controller serves the editor as its delegate.
//
// Threads: the host calls everything here on its UI thread; nothing is shared with the
// processor.
#pragma once

#include "BraskController.h"

#include "editor/VST3EditorDelegate.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class BraskControllerWithUI : public BraskController, public VSTGUI::VST3EditorDelegate
{
public:
    BraskControllerWithUI();
    ~BraskControllerWithUI() override;

    /** For "editor" (exactly) a new editor of 778 x 465 on the template the host's screen asks
     *  for, or on "Editor" where the description has no such template; null for other names. */
    IPlugView* PLUGIN_API createView(FIDString name) SMTG_OVERRIDE;

    /** The Octave knob's pointer shows the octave that plays, as its read-out does: the engine
     *  steps at multiples of 1/4.9, not at the quarters that the five pictures split evenly. */
    VSTGUI::CView* verifyView(VSTGUI::CView* view, const VSTGUI::UIAttributes& attributes,
                              const VSTGUI::IUIDescription* description,
                              VSTGUI::VST3Editor* editor) override;

    /** The knob mode this instance's host chose, linear where it chose none. */
    bool getEditorKnobMode(int32_t& mode) const override;

    /** An InterAppAudioControlsController for that name when the host offers
     *  IInterAppAudioHost; null otherwise. The editor owns it. */
    VSTGUI::IController* createSubController(VSTGUI::UTF8StringPtr name,
                                             const VSTGUI::IUIDescription* description,
                                             VSTGUI::VST3Editor* editor) override;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
