// SPDX-License-Identifier: GPL-3.0-or-later
// Vst2EditorHost: shows the controller's editor in a VST 2 host's window. VST 2 hosts have no
// run loop to lend the view, so this object is the view's frame with a run loop of its own: the
// host's effEditIdle calls (on its UI thread) serve what the view registered there. Size requests
// of the view are passed to the host. On Windows the view's window gets its messages through the
// host's own message loop, and idle finds nothing to serve.
#pragma once

#include "PlugFrame.h"

#include "pluginterfaces/fst/fst.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class Vst2EditorHost : public Hosting::PlugFrame
{
public:
    /** The view a VST 2 host can embed: the controller's editor in the host's window (an X11
     *  window, or an HWND on Windows). */
    static constexpr const char* kViewName = "editor";

    Vst2EditorHost(audioMasterCallback host, AEffect* effect);
    virtual ~Vst2EditorHost();
    Vst2EditorHost(const Vst2EditorHost&) = delete;
    Vst2EditorHost& operator=(const Vst2EditorHost&) = delete;

    /** True when the controller offers a view that embeds in this platform's windows. */
    bool available(IEditController* controller);
    /** The view's size; the rectangle stays valid until the next call. */
    bool getRect(IEditController* controller, ERect** rect);
    /** Attaches the view to the host's window (an X11 window ID or an HWND); false if there is
     *  none. */
    bool open(IEditController* controller, void* parentWindow);
    /** Detaches and releases the view; nothing happens when none is open. */
    void close();
    /** Serves ready descriptors and due timers. */
    void idle() { runLoop().run(0); }

    bool isOpen() const { return attached; }

    /** Passes the view's wish to the host's window, then grants it. */
    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) SMTG_OVERRIDE;

private:
    /** The view, created on first need; null when the controller has none for this platform. */
    IPlugView* ensureView(IEditController* controller);
    void releaseView();

    audioMasterCallback host;
    AEffect* effect;
    IPlugView* view = nullptr;
    bool attached = false;
    ERect rect{};
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
