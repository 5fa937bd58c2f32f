// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/ParameterBinding.h"

#include "editor/TextConversion.h"
#include "views/COptionMenu.h"
#include "views/CTextEdit.h"

#include "pluginterfaces/base/futils.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

using namespace Steinberg;
using namespace Steinberg::Vst;

ParameterBinding::ParameterBinding(EditController* controller, Parameter* parameter,
                                   VST3EditorDelegate* delegate)
    : controller(controller), parameter(parameter), delegate(delegate)
{
    parameter->addRef();
    parameter->addDependent(this);
}

ParameterBinding::~ParameterBinding()
{
    parameter->removeDependent(this);
    parameter->release();
}

ParamID ParameterBinding::getParameterID() const
{
    return parameter->getInfo().id;
}

double ParameterBinding::normalizedOf(const CControl* control)
{
    // In double, so that list entries map to exact steps (2 of 3 is 2.0 / 3.0).
    double range = double(control->getMax()) - double(control->getMin());
    if (range == 0) return 0;
    double normalized = (double(control->getValue()) - double(control->getMin())) / range;
    return std::min(1.0, std::max(0.0, normalized));
}

void ParameterBinding::addControl(CControl* control)
{
    if (!control) return;
    const ParameterInfo& info = parameter->getInfo();
    ParamID id = info.id;
    EditController* owner = controller;

    if (auto* menu = dynamic_cast<COptionMenu*>(control))
    {
        if (info.stepCount > 0)
        {
            // A list parameter fills the menu with its own texts, one entry per step.
            menu->removeAllEntry();
            menu->setMin(0);
            menu->setMax(float(info.stepCount));
            for (int32 step = 0; step <= info.stepCount; ++step)
            {
                String128 text{};
                owner->getParamStringByValue(id, double(step) / info.stepCount, text);
                menu->addEntry(string128ToUtf8(text));
            }
        }
    }
    else if (auto* display = dynamic_cast<CParamDisplay*>(control))
    {
        // The controls live no longer than the binding (the editor releases both together).
        display->setValueToStringFunction(
            [this, owner, id, display](float value, std::string& out) {
                if (gestureActive && delegate &&
                    delegate->getGestureText(id, displayedNormalized(display, value), out))
                    return true;
                float range = display->getRange();
                double normalized = range == 0.f ? 0.0 : double(value - display->getMin()) / range;
                String128 text{};
                if (owner->getParamStringByValue(id, normalized, text) != kResultOk) return false;
                out = string128ToUtf8(text);
                return true;
            });
    }
    if (auto* edit = dynamic_cast<CTextEdit*>(control))
    {
        edit->setStringToValueFunction(
            [this, owner, id, edit](const std::string& text, float& value) {
                double normalized = 0;
                if (delegate && delegate->parseGestureText(id, text, normalized))
                {
                    if (!(normalized >= 0.0 && normalized <= 1.0)) return false;
                }
                else
                {
                    String128 wide{};
                    utf8ToString128(text, wide);
                    if (owner->getParamValueByString(id, wide, normalized) != kResultOk ||
                        !std::isfinite(normalized))
                        return false;
                    normalized = std::min(1.0, std::max(0.0, normalized));
                }
                value = edit->getMin() + float(normalized) * edit->getRange();
                return true;
            });
    }
    // The parameter's default replaces the description's for the reset gesture.
    control->setDefaultValue(valueFor(control, info.defaultNormalizedValue));
    controls.push_back(control);
    control->setValue(valueFor(control, parameter->getNormalized()));
    control->invalid();
}

float ParameterBinding::valueFor(const CControl* control, ParamValue normalized) const
{
    const int32 steps = parameter->getInfo().stepCount;
    if (steps > 0 && dynamic_cast<const COptionMenu*>(control))
    {
        // The entry that plays is the parameter's plain value where that is the entry index
        // (a list parameter: floor((steps + 1) x), at most steps), else the SDK's step of x.
        // Rounding x * steps would show the next entry over half of every step.
        const ParamValue plain = parameter->toPlain(normalized);
        const bool plainIsIndex =
            parameter->toPlain(0.0) == 0.0 && parameter->toPlain(1.0) == steps;
        const int32 entry = plainIsIndex ? static_cast<int32>(std::floor(plain))
                                         : FromNormalized<ParamValue>(normalized, steps);
        return control->getMin() + float(std::min(steps, std::max(0, entry)));
    }
    if (std::isnan(normalized)) normalized = 0.0;
    const float clamped = float(std::min(1.0, std::max(0.0, normalized)));
    return control->getMin() + clamped * control->getRange();
}

void ParameterBinding::updateControls()
{
    const ParamValue normalized = parameter->getNormalized();
    for (CControl* control : controls)
    {
        const float value = valueFor(control, normalized);
        if (control->getValue() == value) continue;
        control->setValue(value);
        control->invalid();
    }
}

double ParameterBinding::displayedNormalized(const CControl* control, float value) const
{
    // The parameter's own value where the control shows it: a float cannot tell the values
    // right next to it apart.
    const ParamValue own = parameter->getNormalized();
    if (control->getMin() + float(own) * control->getRange() == value) return own;
    const float range = control->getRange();
    return range == 0.f ? 0.0 : double(value - control->getMin()) / range;
}

void ParameterBinding::setGestureActive(bool active)
{
    if (active == gestureActive) return;
    gestureActive = active;
    for (CControl* control : controls)
        if (dynamic_cast<CParamDisplay*>(control))
        {
            // Setting the value again renews the text a field keeps for it.
            control->setValue(control->getValue());
            control->invalid();
        }
}

void PLUGIN_API ParameterBinding::update(FUnknown* /*changedUnknown*/, int32 message)
{
    if (message == IDependent::kChanged) updateControls();
}

} // namespace VSTGUI
