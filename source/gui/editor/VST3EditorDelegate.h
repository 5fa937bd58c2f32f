// SPDX-License-Identifier: GPL-3.0-or-later
// VST3EditorDelegate: what an edit controller may add to its VST3Editor. The editor finds it by
// a dynamic_cast on the controller; every operation has a default that adds nothing.
#pragma once

#include "description/IController.h"

#include "pluginterfaces/vst/vsttypes.h"

#include <string>

namespace VSTGUI {

class COptionMenu;
class VST3Editor;

class VST3EditorDelegate
{
public:
    virtual ~VST3EditorDelegate() = default;

    /** A view for a "custom-view-name" of the description, or null. */
    virtual CView* createCustomView(UTF8StringPtr /*name*/, const UIAttributes& /*attributes*/,
                                    const IUIDescription* /*description*/, VST3Editor* /*editor*/)
    {
        return nullptr;
    }
    /** Sees every view the editor builds from the description; may set it up further or
     *  return a replacement. */
    virtual CView* verifyView(CView* view, const UIAttributes& /*attributes*/,
                              const IUIDescription* /*description*/, VST3Editor* /*editor*/)
    {
        return view;
    }
    /** The knob mode of this editor's knobs; false leaves the one the SDK keeps for the whole
     *  process. */
    virtual bool getEditorKnobMode(int32_t& /*mode*/) const { return false; }
    /** The parameter under `pos` for hosts that ask (none by default). */
    virtual bool findParameter(const CPoint& /*pos*/, Steinberg::Vst::ParamID& /*paramID*/,
                               VST3Editor* /*editor*/)
    {
        return false;
    }
    /** A private parameter is shown and edited without telling the host. */
    virtual bool isPrivateParameter(const Steinberg::Vst::ParamID /*paramID*/) { return false; }
    /** Called once the editor is open in a host window, and before it closes. */
    virtual void didOpen(VST3Editor* /*editor*/) {}
    virtual void willClose(VST3Editor* /*editor*/) {}
    /** The menu for a right-click at `where` (frame coordinates) on the editor's background,
     *  not on a control; none by default. The editor takes the menu over and shows it at the
     *  click; its entries act through their actions. */
    virtual COptionMenu* createContextMenu(const CPoint& /*where*/, VST3Editor* /*editor*/)
    {
        return nullptr;
    }
    /** The text the read-outs of a parameter show while one of its controls is dragged or
     *  hovered, for the normalized value `normalized`; false (the default) keeps the
     *  parameter's own text. */
    virtual bool getGestureText(Steinberg::Vst::ParamID /*id*/, double /*normalized*/,
                                std::string& /*text*/)
    {
        return false;
    }
    /** Reads text typed into a read-out before the parameter does: true with the normalized
     *  value when the delegate understands `text` (a value outside 0..1 is refused), false (the
     *  default) to leave it to the parameter's own text conversion. */
    virtual bool parseGestureText(Steinberg::Vst::ParamID /*id*/, const std::string& /*text*/,
                                  double& /*normalized*/)
    {
        return false;
    }
    /** A sub-controller for a "sub-controller" name of the description, or null. The editor
     *  owns what is returned and deletes it with itself. */
    virtual IController* createSubController(UTF8StringPtr /*name*/,
                                             const IUIDescription* /*description*/,
                                             VST3Editor* /*editor*/)
    {
        return nullptr;
    }
};

} // namespace VSTGUI
