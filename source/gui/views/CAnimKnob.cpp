// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/CAnimKnob.h"

#include "base/CDrawContext.h"
#include "views/CFrame.h"

#include <cmath>

namespace VSTGUI {

namespace {

constexpr float kPi = 3.14159265358979f;

float wrapDegrees(float degrees)
{
    degrees = std::fmod(degrees, 360.f);
    return degrees < 0 ? degrees + 360.f : degrees;
}

} // namespace

CAnimKnob::CAnimKnob(const CRect& size, CControlListener* listener, int32_t tag,
                     std::shared_ptr<CBitmap> bitmap, CCoord heightOfOneImage, int32_t subPixmaps)
    : CControl(size, listener, tag, std::move(bitmap)), heightOfOneImage(heightOfOneImage),
      subPixmaps(subPixmaps)
{}

CCoord CAnimKnob::getHeightOfOneImage() const
{
    return heightOfOneImage > 0 ? heightOfOneImage : size.getHeight();
}

int32_t CAnimKnob::getNumSubPixmaps() const
{
    if (subPixmaps > 0) return subPixmaps;
    CCoord frameHeight = getHeightOfOneImage();
    if (!background || frameHeight <= 0) return 1;
    return std::max(1, static_cast<int32_t>(background->getHeight() / frameHeight));
}

int32_t CAnimKnob::getFrameIndex() const
{
    int32_t frames = getNumSubPixmaps();
    auto index = frameChooser
                     ? frameChooser(getValueNormalized())
                     : static_cast<int32_t>(std::floor(getValueNormalized() * float(frames - 1)));
    return std::min(frames - 1, std::max(0, index));
}

bool CAnimKnob::isFader() const
{
    CCoord width = background ? background->getWidth() : size.getWidth();
    return getHeightOfOneImage() > width;
}

void CAnimKnob::draw(CDrawContext& context)
{
    if (!background) return;
    CPoint source(0, getFrameIndex() * getHeightOfOneImage());
    context.drawBitmap(*background, size, source);
}

float CAnimKnob::angleOf(const CPoint& where) const
{
    CPoint center = size.getCenter();
    return std::atan2(float(where.y - center.y), float(where.x - center.x)) * 180.f / kPi;
}

float CAnimKnob::valueFromPoint(const CPoint& where) const
{
    if (rangeAngle <= 0) return getValueNormalized();
    float offset = wrapDegrees(angleOf(where) - startAngle);
    if (offset <= rangeAngle) return offset / rangeAngle;
    // In the gap below the scale the nearer end wins.
    return offset - rangeAngle < (360.f - rangeAngle) / 2 ? 1.f : 0.f;
}

void CAnimKnob::applyNormalized(float normalized)
{
    float old = value;
    setValueNormalized(normalized);
    if (value != old)
    {
        // The gesture opens with its first change, so a click that changes nothing sends
        // no edit at all.
        if (!isEditing()) beginEdit();
        valueChanged();
        invalid();
    }
}

CMouseEventResult CAnimKnob::onMouseDown(CPoint& where, const CButtonState& buttons)
{
    if (!buttons.isLeftButton()) return kMouseEventNotHandled;
    if (buttons.isDoubleClick() || (buttons & kControl))
    {
        setValueByGesture(defaultValue);
        return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
    }
    if (checkModifierClick(buttons)) return kMouseDownEventHandledButDontNeedMovedOrUpEvents;

    dragging = true;
    dragMode = isFader() ? kLinearMode : (getFrame() ? getFrame()->getKnobMode() : kCircularMode);
    dragFine = buttons & kShift;
    dragStart = where;
    dragStartValue = getValueNormalized();
    lastAngle = angleOf(where);
    if (dragMode == kCircularMode && !dragFine) applyNormalized(valueFromPoint(where));
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseMoved(CPoint& where, const CButtonState& buttons)
{
    if (!dragging) return kMouseEventNotHandled;
    bool fine = buttons & kShift;
    if (fine != dragFine)
    {
        // Changing speed mid-drag continues from where the value is now.
        dragFine = fine;
        dragStart = where;
        dragStartValue = getValueNormalized();
        lastAngle = angleOf(where);
    }
    float divisor = fine ? kFineFactor : 1.f;
    if (dragMode == kLinearMode)
    {
        CCoord travel = isFader() ? std::max<CCoord>(1, size.getHeight()) : kLinearRange;
        CCoord moved = dragStart.y - where.y;
        if (!isFader()) moved += where.x - dragStart.x;
        applyNormalized(dragStartValue + float(moved / travel) / divisor);
    }
    else if (dragMode == kCircularMode && !fine)
    {
        applyNormalized(valueFromPoint(where));
    }
    else
    {
        float angle = angleOf(where);
        float delta = wrapDegrees(angle - lastAngle + 180.f) - 180.f;
        lastAngle = angle;
        if (rangeAngle > 0) applyNormalized(getValueNormalized() + delta / rangeAngle / divisor);
    }
    return kMouseEventHandled;
}

CMouseEventResult CAnimKnob::onMouseUp(CPoint& /*where*/, const CButtonState& /*buttons*/)
{
    if (!dragging) return kMouseEventNotHandled;
    dragging = false;
    if (isEditing()) endEdit();
    return kMouseEventHandled;
}

bool CAnimKnob::onWheel(const CPoint& /*where*/, float distance, const CButtonState& buttons)
{
    if (!std::isfinite(distance) || distance == 0) return false;
    float step = wheelInc * distance;
    if (buttons & kShift) step /= kFineFactor;
    applyNormalized(getValueNormalized() + step);
    if (isEditing()) endEdit();
    return true;
}

int32_t CAnimKnob::onKeyDown(VstKeyCode& key)
{
    if (key.character != 0 || (key.modifier & ~MODIFIER_SHIFT) != 0 || dragging) return -1;
    float direction = 0;
    switch (key.virt)
    {
    case VKEY_UP:
    case VKEY_RIGHT:
        direction = 1;
        break;
    case VKEY_DOWN:
    case VKEY_LEFT:
        direction = -1;
        break;
    default:
        return -1;
    }
    CButtonState buttons((key.modifier & MODIFIER_SHIFT) ? kShift : 0);
    onWheel(CPoint(), direction, buttons);
    return 1;
}

} // namespace VSTGUI
