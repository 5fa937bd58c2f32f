// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's window inside the host's window, as the platform makes it. One implementation
// per window system; the editor knows only this interface.
#pragma once

#include "base/IPlatformFrame.h"

#include "pluginterfaces/gui/iplugview.h"

#include <memory>

namespace VSTGUI {

class IPlatformWindow : public IPlatformFrame
{
public:
    /** Redraws at `scale` device pixels per editor pixel, resizing the window to match. */
    virtual void setContentScale(double scale) = 0;
    /** Destroys the window and unregisters from the host; the object stays, inert. */
    virtual void close() = 0;
    /** True while the window is handing an event or a timer tick to the editor: then the
     *  object must outlive the call, even if the editor closed the window from inside it. */
    virtual bool isDispatching() const = 0;
};

/** True for the host window types this platform can embed into. */
bool isPlatformWindowTypeSupported(Steinberg::FIDString type);

/** Opens a window of `editorSize` editor pixels at `scale` inside the host's `parent`.
 *  `plugFrame` supplies the host's services (on Linux its IRunLoop). Null, with nothing left
 *  behind, when the window cannot be made. */
std::unique_ptr<IPlatformWindow> createPlatformWindow(void* parent, Steinberg::FIDString type,
                                                      Steinberg::IPlugFrame* plugFrame,
                                                      IPlatformFrameCallback* callback,
                                                      const CPoint& editorSize, double scale);

} // namespace VSTGUI
