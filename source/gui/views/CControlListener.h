// SPDX-License-Identifier: GPL-3.0-or-later
// CControlListener: what a control tells about a user's gesture. A gesture is bracketed by
// controlBeginEdit / controlEndEdit with one or more valueChanged calls in between.
#pragma once

#include "base/VSTGUIBase.h"

namespace VSTGUI {

class CControl;

class CControlListener
{
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    /** Called on a click with modifier keys; answer 1 to take the click from the control. */
    virtual int32_t controlModifierClicked(CControl* /*control*/, CButtonState /*buttons*/)
    {
        return 0;
    }
    virtual void controlBeginEdit(CControl* /*control*/) {}
    virtual void controlEndEdit(CControl* /*control*/) {}
};

} // namespace VSTGUI
