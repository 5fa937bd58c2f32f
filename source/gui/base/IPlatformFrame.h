// SPDX-License-Identifier: GPL-3.0-or-later
// The window system seam. A platform frame is the native window (or an off-screen stand-in) that
// shows a CFrame; it calls the CFrame back through IPlatformFrameCallback with drawing requests
// and input, always on the thread that owns the editor.
#pragma once

#include "base/VSTGUIBase.h"

#include <cstdint>

namespace VSTGUI {

class CDrawContext;

class IPlatformFrameCallback
{
public:
    virtual ~IPlatformFrameCallback() = default;
    /** Draws the part `updateRect` (editor pixels) of the editor. */
    virtual void platformDrawRect(CDrawContext& context, const CRect& updateRect) = 0;
    virtual CMouseEventResult platformOnMouseDown(CPoint where, const CButtonState& buttons) = 0;
    virtual CMouseEventResult platformOnMouseMoved(CPoint where, const CButtonState& buttons) = 0;
    virtual CMouseEventResult platformOnMouseUp(CPoint where, const CButtonState& buttons) = 0;
    /** The pointer left the window. */
    virtual void platformOnMouseExited() = 0;
    virtual bool platformOnMouseWheel(CPoint where, float distance,
                                      const CButtonState& buttons) = 0;
    /** True when the editor consumed the key. */
    virtual bool platformOnKeyDown(const VstKeyCode& key) = 0;
    virtual bool platformOnKeyUp(const VstKeyCode& key) = 0;
    virtual void platformOnTimer() = 0;
    /** The window lost the keyboard focus to someone else (the user clicked the host). */
    virtual void platformOnFocusLost() = 0;
};

class IPlatformFrame
{
public:
    virtual ~IPlatformFrame() = default;
    /** Schedules a redraw of `rect` (editor pixels). */
    virtual void invalidRect(const CRect& rect) = 0;
    /** Starts (or retimes) the one repeating timer; the frame calls platformOnTimer. */
    virtual void startTimer(std::uint32_t milliseconds) = 0;
    virtual void stopTimer() = 0;
    virtual bool isTimerRunning() const = 0;
    /** Takes the keyboard focus while text is typed, and hands it back afterwards. */
    virtual void setKeyboardFocus(bool take) = 0;
    /** Milliseconds of a monotonic clock, for animations. */
    virtual std::uint64_t getTicks() const = 0;
};

} // namespace VSTGUI
