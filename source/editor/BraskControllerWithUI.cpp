// SPDX-License-Identifier: GPL-3.0-or-later
#include "BraskControllerWithUI.h"

#include "BraskContextMenu.h"
#include "BraskParameterIds.h"
#include "EditorSettings.h"
#include "EditorTemplate.h"
#include "InterAppAudioControlsController.h"
#include "MusicalUnits.h"
#include "OctaveParameter.h"
#include "PresetBrowser.h"
#include "PresetNameView.h"
#include "SavePresetDialog.h"
#include "UserPresetFolder.h"

#include "editor/VST3Editor.h"
#include "views/CAnimKnob.h"
#include "views/CAnimationSplashScreen.h"
#include "views/COptionMenu.h"
#include "views/CViewContainer.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstinterappaudio.h"

#include <algorithm>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

BraskControllerWithUI::BraskControllerWithUI()
    : BraskControllerWithUI(userPresetFolder(), editorSettingsFile())
{}

BraskControllerWithUI::BraskControllerWithUI(std::filesystem::path userPresetFolder,
                                             std::filesystem::path settingsFile)
    : browser(std::make_unique<PresetBrowser>(*this, std::move(userPresetFolder))),
      settingsFile(std::move(settingsFile))
{
    browser->setLoadedListener([this] { showPresetTitle(); });
}

BraskControllerWithUI::~BraskControllerWithUI() = default;

tresult PLUGIN_API BraskControllerWithUI::setParamNormalized(ParamID id, ParamValue value)
{
    const tresult result = BraskController::setParamNormalized(id, value);
    if (!editors.empty()) showPresetTitle();
    return result;
}

void BraskControllerWithUI::editorDestroyed(EditorView* editor)
{
    // Its views are gone with it.
    editors.erase(
        std::remove_if(editors.begin(), editors.end(),
                       [editor](const OpenEditor& open) { return open.editor == editor; }),
        editors.end());
}

std::string BraskControllerWithUI::presetTitle() const
{
    const std::string& name = browser->currentName();
    if (name.empty()) return name;
    return browser->isModified() ? name + " *" : name;
}

void BraskControllerWithUI::showPresetTitle()
{
    const std::string title = presetTitle();
    for (const OpenEditor& open : editors)
        open.presetName->setText(title);
}

IPlugView* PLUGIN_API BraskControllerWithUI::createView(FIDString name)
{
    if (!name || std::strcmp(name, ViewType::kEditor) != 0) return nullptr;

    const char* wanted = editorTemplateFor(hostContext);
    auto* editor = new VSTGUI::VST3Editor(this, wanted, kEditorDescriptionFile);
    // The description has only the desktop template; an editor without one would be empty.
    if (std::strcmp(wanted, kEditorTemplate) != 0 &&
        !editor->getUIDescription()->hasTemplate(wanted))
    {
        editor->release();
        editor = new VSTGUI::VST3Editor(this, kEditorTemplate, kEditorDescriptionFile);
    }
    // The loaded preset's name goes over the name plate's subtitle, on top of the panel.
    if (auto* panel = dynamic_cast<VSTGUI::CViewContainer*>(editor->getFrame()->getView(0)))
    {
        auto* presetName = new PresetNameView(panel->getBackground());
        panel->addView(presetName);
        presetName->setText(presetTitle());
        editors.push_back({editor, presetName});
    }
    // Read at every opening: a zoom chosen in another instance or host since holds here too.
    if (auto saved = readEditorZoom(settingsFile)) editorZoom = *saved;
    editor->setZoomFactor(editorZoom); // not open yet: it opens at that size
    return editor;
}

VSTGUI::CView* BraskControllerWithUI::verifyView(VSTGUI::CView* view,
                                                 const VSTGUI::UIAttributes& /*attributes*/,
                                                 const VSTGUI::IUIDescription* /*description*/,
                                                 VSTGUI::VST3Editor* /*editor*/)
{
    auto* knob = dynamic_cast<VSTGUI::CAnimKnob*>(view);
    if (knob && knob->getTag() == kOctave)
    {
        // The editor holds this controller for as long as its views live.
        knob->setFrameChooser([this](float shown) {
            // The parameter's own value where the knob shows it: a float cannot tell the values
            // right below a step from the step.
            double value = getParamNormalized(kOctave);
            if (static_cast<float>(value) != shown) value = shown;
            return OctaveParameter::playedOctave(value) + 2;
        });
    }
    return view;
}

bool BraskControllerWithUI::getEditorKnobMode(int32_t& mode) const
{
    mode = getKnobMode();
    return true;
}

VSTGUI::IController*
BraskControllerWithUI::createSubController(VSTGUI::UTF8StringPtr name,
                                           const VSTGUI::IUIDescription* /*description*/,
                                           VSTGUI::VST3Editor* /*editor*/)
{
    if (!name || std::strcmp(name, "InterAppAudioControlsController") != 0) return nullptr;
    FUnknownPtr<IInterAppAudioHost> host(hostContext);
    if (!host) return nullptr;
    // The host context keeps the host alive for as long as any editor exists.
    return new InterAppAudioControlsController(host.getInterface());
}

VSTGUI::COptionMenu* BraskControllerWithUI::createContextMenu(const VSTGUI::CPoint& /*where*/,
                                                              VSTGUI::VST3Editor* editor)
{
    if (!editor) return nullptr;
    browser->refresh(); // presets saved from the host since show up
    ContextMenuActions actions;
    // The editor owns the menu and holds this controller for as long as it lives.
    PresetBrowser* presets = browser.get();
    actions.loadPreset = [presets](int32_t index) { presets->load(index); };
    actions.stepPreset = [presets](int32_t direction) { presets->step(direction); };
    actions.savePresetAs = [presets, editor] { askToSavePreset(*editor, *presets); };
    actions.zoom = [this, editor](double zoom) { zoomEditor(*editor, zoom); };
    actions.about = [editor] { openAbout(*editor); };
    return createBraskContextMenu(browser->library(), browser->current(), editor->getZoomFactor(),
                                  actions);
}

bool BraskControllerWithUI::zoomEditor(VSTGUI::VST3Editor& editor, double zoom)
{
    if (!editor.setZoomFactor(zoom)) return false;
    editorZoom = editor.getZoomFactor();
    // A file that cannot be written costs only the next editor's zoom: this one has it.
    writeEditorZoom(settingsFile, editorZoom);
    return true;
}

void BraskControllerWithUI::openAbout(VSTGUI::VST3Editor& editor)
{
    auto* panel = dynamic_cast<VSTGUI::CViewContainer*>(editor.getFrame()->getView(0));
    for (size_t i = 0; panel && i < panel->getNbViews(); ++i)
    {
        if (auto* splash = dynamic_cast<VSTGUI::CAnimationSplashScreen*>(panel->getView(i)))
        {
            if (!splash->isSplashOpen()) splash->openSplash();
            return;
        }
    }
}

void BraskControllerWithUI::willClose(VSTGUI::VST3Editor* editor)
{
    if (editor) editorZoom = editor->getZoomFactor();
}

MusicalUnits BraskControllerWithUI::musicalUnits()
{
    double sound[kSoundParamCount];
    for (int32 id = 0; id < kSoundParamCount; ++id)
        sound[id] = getParamNormalized(static_cast<ParamID>(id));
    return MusicalUnits(getProcessorSampleRate(), sound);
}

bool BraskControllerWithUI::getGestureText(ParamID id, double normalized, std::string& text)
{
    if (id >= static_cast<ParamID>(kSoundParamCount)) return false;
    return musicalUnits().format(id, normalized, text);
}

bool BraskControllerWithUI::parseGestureText(ParamID id, const std::string& text,
                                             double& normalized)
{
    if (id >= static_cast<ParamID>(kSoundParamCount)) return false;
    switch (musicalUnits().parse(id, text, normalized))
    {
    case MusicalUnits::Reading::kValue:
        return true;
    case MusicalUnits::Reading::kRefused:
        normalized = -1.0; // outside 0..1: the read-out refuses it and shows the value again
        return true;
    case MusicalUnits::Reading::kNotAQuantity:
        break;
    }
    return false;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
