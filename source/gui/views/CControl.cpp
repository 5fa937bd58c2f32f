// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CControl.h"

#include "views/CFrame.h"

#include <cmath>

namespace VSTGUI {

CControl::CControl(const CRect& size, CControlListener* listener, int32_t tag,
                   std::shared_ptr<CBitmap> bitmap)
    : CView(size), tag(tag), listener(listener)
{
    setBackground(std::move(bitmap));
}

void CControl::setValue(float newValue)
{
    if (std::isnan(newValue)) newValue = vmin;
    float low = std::min(vmin, vmax);
    float high = std::max(vmin, vmax);
    value = std::min(high, std::max(low, newValue));
}

void CControl::setValueNormalized(float normalized)
{
    if (std::isnan(normalized)) normalized = 0.f;
    normalized = std::min(1.f, std::max(0.f, normalized));
    setValue(vmin + normalized * getRange());
}

float CControl::getValueNormalized() const
{
    float range = getRange();
    return range == 0.f ? 0.f : (value - vmin) / range;
}

void CControl::beginEdit()
{
    if (editDepth++ != 0) return;
    if (CFrame* frame = getFrame()) frame->onControlEdit(this);
    if (listener) listener->controlBeginEdit(this);
}

void CControl::endEdit()
{
    if (editDepth == 0) return;
    if (--editDepth == 0 && listener) listener->controlEndEdit(this);
}

void CControl::valueChanged()
{
    if (listener) listener->valueChanged(this);
}

void CControl::setValueByGesture(float newValue)
{
    beginEdit();
    setValue(newValue);
    valueChanged();
    invalid();
    endEdit();
}

bool CControl::checkModifierClick(const CButtonState& buttons)
{
    return listener && buttons.getModifierState() != 0 &&
           listener->controlModifierClicked(this, buttons) != 0;
}

} // namespace VSTGUI
