// SPDX-License-Identifier: GPL-3.0-or-later
// The hosting kit's plug frame as editor tests drive it: its run loop served on the test's
// thread until what the test waits for holds, and what the view asked of the frame counted. It
// can withhold the run loop, as a host without one would. It lives on the test's stack or in its
// fixture: reference counting does nothing.
#pragma once

#include "HostOwned.h"
#include "PlugFrame.h"

#include "pluginterfaces/gui/iplugview.h"

#include <chrono>
#include <cstddef>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

class TestPlugFrame : public Hosting::PlugFrame
{
public:
    TestPlugFrame();
    TestPlugFrame(const TestPlugFrame&) = delete;
    TestPlugFrame& operator=(const TestPlugFrame&) = delete;

    /** Serves what is ready within `timeoutMs`: descriptors and due timers. */
    void runOnce(int timeoutMs) { runLoop().run(timeoutMs); }
    /** Runs the loop for `milliseconds`. */
    void pump(int milliseconds) { runLoop().run(milliseconds); }
    /** Runs the loop until `done` holds, for up to `milliseconds`: generous, since a loaded
     *  machine can take seconds to deliver what a quiet one delivers at once. */
    template <typename Done>
    bool runUntil(Done done, int milliseconds = 10000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (!done())
        {
            if (std::chrono::steady_clock::now() > end) return false;
            runOnce(10);
        }
        return true;
    }

    std::size_t eventHandlerCount() { return runLoop().eventHandlerCount(); }
    std::size_t timerCount() { return runLoop().timerCount(); }

    /** Whether queryInterface offers the run loop: without one the view cannot attach. */
    bool offerRunLoop = true;
    int timerRegistrations = 0;
    int resizes = 0;
    ViewRect lastResize;

    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) override;
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override;

private:
    /** The kit's run loop as the view sees it, with the timers it registers counted. */
    class CountingRunLoop : public Hosting::HostOwned<Linux::IRunLoop>
    {
    public:
        CountingRunLoop(Linux::IRunLoop& loop, int& timerRegistrations)
            : loop(loop), timerRegistrations(timerRegistrations)
        {}
        tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler,
                                                Linux::FileDescriptor fd) override
        {
            return loop.registerEventHandler(handler, fd);
        }
        tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) override
        {
            return loop.unregisterEventHandler(handler);
        }
        tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler,
                                         Linux::TimerInterval milliseconds) override
        {
            ++timerRegistrations;
            return loop.registerTimer(handler, milliseconds);
        }
        tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) override
        {
            return loop.unregisterTimer(handler);
        }

    private:
        Linux::IRunLoop& loop;
        int& timerRegistrations;
    };

    Linux::IRunLoop& kitRunLoop();
    CountingRunLoop counting;
};

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
