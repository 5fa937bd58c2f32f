// SPDX-License-Identifier: GPL-3.0-or-later
// BraskControllerWithUI: the controller class that the factory registers and creates. It is the
// instrument's controller plus its editor: the view "editor" is a VST3Editor on the embedded
// description, and the controller serves the editor as its delegate.
//
// Beyond the panel it keeps, for the instance, the presets the editor offers (which one is
// loaded, shown on the name plate) and the zoom its editors last had: in memory only, since the
// product keeps nothing outside the host's project.
//
// Threads: the host calls everything here on its UI thread; nothing is shared with the
// processor.
#pragma once

#include "BraskController.h"

#include "editor/VST3EditorDelegate.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace VSTGUI {
class VST3Editor;
}

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class PresetBrowser;
class PresetNameView;

class BraskControllerWithUI : public BraskController, public VSTGUI::VST3EditorDelegate
{
public:
    /** The user's presets lie in the folder hosts save them to. */
    BraskControllerWithUI();
    /** The same with the user's presets in `userPresetFolder` (empty: none). */
    explicit BraskControllerWithUI(std::filesystem::path userPresetFolder);
    ~BraskControllerWithUI() override;

    /** The presets the editor offers and the one loaded. */
    PresetBrowser& presetBrowser() { return *browser; }

    /** Every change of a value may change the name plate's mark of an edited preset. */
    tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) SMTG_OVERRIDE;

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

protected:
    void editorDestroyed(EditorView* editor) SMTG_OVERRIDE;

private:
    /** An editor of this instance and its name plate. */
    struct OpenEditor
    {
        EditorView* editor;
        PresetNameView* presetName;
    };

    /** The loaded preset's name, with " *" once a control has changed; empty for none. */
    std::string presetTitle() const;
    void showPresetTitle();

    std::unique_ptr<PresetBrowser> browser;
    std::vector<OpenEditor> editors;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
