// SPDX-License-Identifier: GPL-3.0-or-later
// CControl: a view with a value in [min, max], a tag that names what it controls and a listener
// that hears the user's edits.
#pragma once

#include "views/CControlListener.h"
#include "views/CView.h"

namespace VSTGUI {

class CControl : public CView
{
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, int32_t tag = -1,
             std::shared_ptr<CBitmap> background = nullptr);

    /** Sets the value, clamped to [min, max] (NaN becomes min). Does not notify the listener. */
    virtual void setValue(float value);
    float getValue() const { return value; }
    void setValueNormalized(float normalized);
    float getValueNormalized() const;

    void setMin(float v) { vmin = v; }
    float getMin() const { return vmin; }
    void setMax(float v) { vmax = v; }
    float getMax() const { return vmax; }
    float getRange() const { return vmax - vmin; }
    void setDefaultValue(float v) { defaultValue = v; }
    float getDefaultValue() const { return defaultValue; }
    void setWheelInc(float v) { wheelInc = v; }
    float getWheelInc() const { return wheelInc; }

    void setTag(int32_t value) { tag = value; }
    int32_t getTag() const { return tag; }
    void setListener(CControlListener* value) { listener = value; }
    CControlListener* getListener() const { return listener; }

    /** Brackets a user's gesture; nested calls are counted so one gesture is one bracket. */
    void beginEdit();
    void endEdit();
    bool isEditing() const { return editDepth > 0; }
    /** Tells the listener that the user changed the value. */
    void valueChanged();

    /** Sets the value to `newValue` as one whole user gesture (begin, change, end). */
    void setValueByGesture(float newValue);

    bool wantsFocus() const override { return true; }

protected:
    /** Hands a modifier click to the listener; true when the listener took it. */
    bool checkModifierClick(const CButtonState& buttons);

    float value = 0.f;
    float vmin = 0.f;
    float vmax = 1.f;
    float defaultValue = 0.5f;
    float wheelInc = 0.1f;
    int32_t tag = -1;
    CControlListener* listener = nullptr;
    int editDepth = 0;
};

} // namespace VSTGUI
