// SPDX-License-Identifier: GPL-3.0-or-later
// BraskControllerWithUI: the controller class that the factory registers and creates. It is the
// instrument's controller plus its editor: the view "editor" is a VST3Editor on the embedded
// description, and the controller serves the editor as its delegate.
//
// Beyond the panel it keeps, for the instance, the presets the editor offers (which one is
// loaded, shown on the name plate) and the zoom its editors last had. The zoom a musician picks
// in the menu also goes into the user's editor settings file (EditorSettings.h), which a new
// editor opens at; the sound and the state never depend on that file.
//
// Threads: the host calls everything here on its UI thread; nothing is shared with the
// processor.
#pragma once

#include "BraskController.h"

#include "editor/VST3EditorDelegate.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class MusicalUnits;
class PresetBrowser;
class PresetNameView;

class BraskControllerWithUI : public BraskController, public VSTGUI::VST3EditorDelegate
{
public:
    /** The user's presets lie in the folder hosts save them to, the zoom in the user's editor
        settings file. */
    BraskControllerWithUI();
    /** The same with the user's presets in `userPresetFolder` (empty: none) and the zoom in
        `settingsFile` (empty: none kept beyond the instance). */
    explicit BraskControllerWithUI(std::filesystem::path userPresetFolder,
                                   std::filesystem::path settingsFile = {});
    ~BraskControllerWithUI() override;

    /** The presets the editor offers and the one loaded. */
    PresetBrowser& presetBrowser() { return *browser; }
    /** The zoom this instance's editors last had, which a new editor opens at (1 at first). */
    double getEditorZoom() const { return editorZoom; }

    /** Every change of a value may change the name plate's mark of an edited preset. */
    tresult PLUGIN_API setParamNormalized(ParamID id, ParamValue value) SMTG_OVERRIDE;

    /** For "editor" (exactly) a new editor of 778 x 465 on the template the host's screen asks
     *  for, or on "Editor" where the description has no such template, at the zoom of the
     *  settings file, or where it holds none at the zoom this instance's editors last had; null
     *  for other names. */
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

    /** Brask's menu (BraskContextMenu.h), with the user's presets read again. */
    VSTGUI::COptionMenu* createContextMenu(const VSTGUI::CPoint& where,
                                           VSTGUI::VST3Editor* editor) override;
    /** A sound parameter's value in its musical unit (MusicalUnits.h) at the processor's
        sample rate; Glide and the performance controllers keep their own texts. */
    bool getGestureText(ParamID id, double normalized, std::string& text) override;
    /** A typed quantity in the parameter's unit; one in another unit or beyond the range is
        refused. Plain numbers and other texts are left to the parameter. */
    bool parseGestureText(ParamID id, const std::string& text, double& normalized) override;
    /** Keeps the zoom the editor closes at, also one the host chose by resizing. */
    void willClose(VSTGUI::VST3Editor* editor) override;

    /** Zooms `editor` as its menu does; the zoom is kept, for the instance and in the settings
        file, only when the host resized it. */
    bool zoomEditor(VSTGUI::VST3Editor& editor, double zoom);
    /** Opens the about panel of `editor`, as a click on the name plate does. */
    static void openAbout(VSTGUI::VST3Editor& editor);

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

    MusicalUnits musicalUnits();

    std::unique_ptr<PresetBrowser> browser;
    std::filesystem::path settingsFile;
    std::vector<OpenEditor> editors;
    double editorZoom = 1.0;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
