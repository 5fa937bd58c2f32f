// SPDX-License-Identifier: GPL-3.0-or-later
// CAnimKnob: a control drawn by one frame of a vertical strip of pictures, frame index
// = normalized value x (frames - 1), rounded down. It is dragged as a knob in the host's knob
// mode; a strip whose pictures are taller than wide is a fader and always follows a vertical
// drag, since a circular drag on a fader cannot be operated. Shift gives fine steps; a
// double-click or a Ctrl-click resets to the default value. With the keyboard focus the arrow
// keys step it as the wheel does (Up and Right raise it), Shift again in fine steps.
#pragma once

#include "views/CControl.h"

#include <functional>

namespace VSTGUI {

class CAnimKnob : public CControl
{
public:
    /** Pixels of vertical travel for the whole range in linear mode. */
    static constexpr CCoord kLinearRange = 200;
    /** Fine steps (Shift) are this many times smaller. */
    static constexpr float kFineFactor = 10.f;

    CAnimKnob(const CRect& size, CControlListener* listener = nullptr, int32_t tag = -1,
              std::shared_ptr<CBitmap> background = nullptr, CCoord heightOfOneImage = 0,
              int32_t subPixmaps = 0);

    void setHeightOfOneImage(CCoord height) { heightOfOneImage = height; }
    CCoord getHeightOfOneImage() const;
    void setNumSubPixmaps(int32_t count) { subPixmaps = count; }
    /** Frames in the strip: the given count, else the bitmap's height / frame height. */
    int32_t getNumSubPixmaps() const;
    /** The frame shown for the current value. */
    int32_t getFrameIndex() const;
    /** Chooses the frame for a normalized value instead of the even split of the range, for a
        strip whose pictures stand for steps that are not evenly spread. */
    void setFrameChooser(std::function<int32_t(float normalized)> chooser)
    {
        frameChooser = std::move(chooser);
    }
    void setStartAngle(float degrees) { startAngle = degrees; }
    float getStartAngle() const { return startAngle; }
    void setRangeAngle(float degrees) { rangeAngle = degrees; }
    float getRangeAngle() const { return rangeAngle; }
    void setZoomFactor(float factor) { zoomFactor = factor; }
    float getZoomFactor() const { return zoomFactor; }
    /** True when the pictures are taller than wide. */
    bool isFader() const;

    void draw(CDrawContext& context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseMoved(CPoint& where, const CButtonState& buttons) override;
    CMouseEventResult onMouseUp(CPoint& where, const CButtonState& buttons) override;
    bool onWheel(const CPoint& where, float distance, const CButtonState& buttons) override;
    int32_t onKeyDown(VstKeyCode& key) override;

private:
    float valueFromPoint(const CPoint& where) const;
    float angleOf(const CPoint& where) const;
    void applyNormalized(float normalized);

    CCoord heightOfOneImage = 0;
    int32_t subPixmaps = 0;
    float startAngle = 135.f;
    float rangeAngle = 270.f;
    float zoomFactor = 1.5f;
    std::function<int32_t(float normalized)> frameChooser;

    bool dragging = false;
    int dragMode = kCircularMode;
    bool dragFine = false;
    CPoint dragStart;
    float dragStartValue = 0.f;
    float lastAngle = 0.f;
};

} // namespace VSTGUI
