// SPDX-License-Identifier: GPL-3.0-or-later
// BraskControllerWithUI in a build without the editor runtime (BRASK_EDITOR=OFF): the same
// registered class, answering every view request with null so that hosts show their generic
// parameter editor instead.
#include "BraskControllerWithUI.h"

#include "PresetBrowser.h" // complete for the destructor; never made without an editor

namespace Steinberg {
namespace Vst {
namespace Tarvik {

BraskControllerWithUI::BraskControllerWithUI() = default;

BraskControllerWithUI::BraskControllerWithUI(std::filesystem::path /*userPresetFolder*/,
                                             std::filesystem::path /*settingsFile*/)
{}

BraskControllerWithUI::~BraskControllerWithUI() = default;

tresult PLUGIN_API BraskControllerWithUI::setParamNormalized(ParamID id, ParamValue value)
{
    return BraskController::setParamNormalized(id, value);
}

void BraskControllerWithUI::editorDestroyed(EditorView* /*editor*/) {}

VSTGUI::COptionMenu* BraskControllerWithUI::createContextMenu(const VSTGUI::CPoint& /*where*/,
                                                              VSTGUI::VST3Editor* /*editor*/)
{
    return nullptr;
}

bool BraskControllerWithUI::getGestureText(ParamID /*id*/, double /*normalized*/,
                                           std::string& /*text*/)
{
    return false;
}

bool BraskControllerWithUI::parseGestureText(ParamID /*id*/, const std::string& /*text*/,
                                             double& /*normalized*/)
{
    return false;
}

void BraskControllerWithUI::willClose(VSTGUI::VST3Editor* /*editor*/) {}

IPlugView* PLUGIN_API BraskControllerWithUI::createView(FIDString /*name*/)
{
    return nullptr;
}

VSTGUI::CView* BraskControllerWithUI::verifyView(VSTGUI::CView* view,
                                                 const VSTGUI::UIAttributes& /*attributes*/,
                                                 const VSTGUI::IUIDescription* /*description*/,
                                                 VSTGUI::VST3Editor* /*editor*/)
{
    return view;
}

bool BraskControllerWithUI::getEditorKnobMode(int32_t& mode) const
{
    mode = getKnobMode();
    return true;
}

VSTGUI::IController*
BraskControllerWithUI::createSubController(VSTGUI::UTF8StringPtr /*name*/,
                                           const VSTGUI::IUIDescription* /*description*/,
                                           VSTGUI::VST3Editor* /*editor*/)
{
    return nullptr;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
