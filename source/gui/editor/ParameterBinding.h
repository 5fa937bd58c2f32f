// SPDX-License-Identifier: GPL-3.0-or-later
// ParameterBinding: ties the controls of one tag to the edit controller's parameter with that
// ID. It sets the controls up from the parameter (default value, list entries, display and
// reading of texts) and redraws them whenever the parameter changes, whoever changed it: the
// user, the host's automation or a restored state. While one of its controls is dragged or
// hovered (a gesture), its read-outs show the delegate's gesture text where it gives one, and
// typed text goes to the delegate first.
#pragma once

#include "editor/VST3EditorDelegate.h"
#include "views/CControl.h"

#include "base/source/fobject.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <vector>

namespace VSTGUI {

class ParameterBinding : public Steinberg::FObject
{
public:
    ParameterBinding(Steinberg::Vst::EditController* controller,
                     Steinberg::Vst::Parameter* parameter, VST3EditorDelegate* delegate = nullptr);
    ~ParameterBinding() override;

    Steinberg::Vst::ParamID getParameterID() const;
    Steinberg::Vst::Parameter* getParameter() const { return parameter; }

    /** Sets `control` up for the parameter and shows its value. */
    void addControl(CControl* control);
    const std::vector<CControl*>& getControls() const { return controls; }
    /** Shows the parameter's current value on every bound control. */
    void updateControls();
    /** Starts or ends the gesture texts of the read-outs. */
    void setGestureActive(bool active);
    bool isGestureActive() const { return gestureActive; }

    /** The parameter's normalized value for a control's value. */
    static double normalizedOf(const CControl* control);

    /** Called by the parameter when it changed. */
    void PLUGIN_API update(FUnknown* changedUnknown, Steinberg::int32 message) SMTG_OVERRIDE;

    OBJ_METHODS(ParameterBinding, FObject)

private:
    /** A control's value for a normalized value of the parameter: menus of a stepped parameter
        take the index of the entry that plays, other controls the same place in their range. */
    float valueFor(const CControl* control, Steinberg::Vst::ParamValue normalized) const;

    /** The normalized value a read-out shows for its own value. */
    double displayedNormalized(const CControl* control, float value) const;

    Steinberg::Vst::EditController* controller;
    Steinberg::Vst::Parameter* parameter;
    VST3EditorDelegate* delegate;
    std::vector<CControl*> controls;
    bool gestureActive = false;
};

} // namespace VSTGUI
