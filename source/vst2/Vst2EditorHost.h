// SPDX-License-Identifier: GPL-3.0-or-later
// Vst2EditorHost: shows the controller's editor in a VST 2 host's window. VST 2 hosts have no
// run loop to lend the view, so this object is the view's frame and its Linux run loop at once:
// the view registers its X connection's file descriptor and its timers here, and the host's
// effEditIdle calls (on its UI thread) serve the descriptors that are ready and the timers
// that are due. Size requests of the view are passed to the host. On Windows the view's window
// gets its messages through the host's own message loop, and idle finds nothing to serve.
#pragma once

#include "pluginterfaces/fst/fst.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <chrono>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

#if SMTG_OS_LINUX
using Vst2RunLoop = Linux::IRunLoop;
#else
/** Windows delivers the view's messages itself: the host lends no run loop there. */
class Vst2RunLoop
{};
#endif

class Vst2EditorHost : public IPlugFrame, public Vst2RunLoop
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
    void idle();

    bool isOpen() const { return attached; }

    // IPlugFrame
    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) SMTG_OVERRIDE;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;
    // Owned by the effect; the view only borrows it while attached.
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }
#if SMTG_OS_LINUX
    // Linux::IRunLoop
    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler,
                                            Linux::FileDescriptor fd) SMTG_OVERRIDE;
    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) SMTG_OVERRIDE;
    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler,
                                     Linux::TimerInterval milliseconds) SMTG_OVERRIDE;
    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) SMTG_OVERRIDE;
#endif

private:
#if SMTG_OS_LINUX
    using Clock = std::chrono::steady_clock;
    struct Watch
    {
        Linux::IEventHandler* handler;
        Linux::FileDescriptor fd;
    };
    struct Timer
    {
        Linux::ITimerHandler* handler;
        Clock::duration interval;
        Clock::time_point due;
    };
#endif

    /** The view, created on first need; null when the controller has none for X11. */
    IPlugView* ensureView(IEditController* controller);
    void releaseView();
    void dropHandlers();

    audioMasterCallback host;
    AEffect* effect;
    IPlugView* view = nullptr;
    bool attached = false;
    ERect rect{};
#if SMTG_OS_LINUX
    std::vector<Watch> watches;
    std::vector<Timer> timers;
#endif
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
