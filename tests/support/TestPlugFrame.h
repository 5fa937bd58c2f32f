// SPDX-License-Identifier: GPL-3.0-or-later
// The host's frame for an editor view on Linux and the run loop it lends the view: handlers on
// file descriptors and timers, served on the calling thread as a host's UI loop serves them.
// It lives on the test's stack or in its fixture: reference counting does nothing.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <chrono>
#include <cstdint>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

class TestPlugFrame : public Steinberg::IPlugFrame, public Steinberg::Linux::IRunLoop
{
public:
    TestPlugFrame() = default;
    virtual ~TestPlugFrame();
    TestPlugFrame(const TestPlugFrame&) = delete;
    TestPlugFrame& operator=(const TestPlugFrame&) = delete;

    /** Waits up to `timeoutMs` for a descriptor, then serves the ready ones and the due timers. */
    void runOnce(int timeoutMs);
    /** Runs the loop for `milliseconds`. */
    void pump(int milliseconds);
    /** Runs the loop until `done` holds, for up to `milliseconds`: generous, since a loaded
     *  machine can take seconds to deliver what a quiet one delivers at once. */
    template <typename Done>
    bool runUntil(Done done, int milliseconds = 10000)
    {
        const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
        while (!done())
        {
            if (Clock::now() > end) return false;
            runOnce(10);
        }
        return true;
    }

    std::size_t eventHandlerCount() const { return handlers.size(); }
    std::size_t timerCount() const { return timers.size(); }

    /** Whether queryInterface offers the run loop: without one the view cannot attach. */
    bool offerRunLoop = true;
    int timerRegistrations = 0;
    int resizes = 0;
    Steinberg::ViewRect lastResize;

    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view,
                                             Steinberg::ViewRect* newSize) override;
    Steinberg::tresult PLUGIN_API registerEventHandler(
        Steinberg::Linux::IEventHandler* handler, Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API
    unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval ms) override;
    Steinberg::tresult PLUGIN_API
    unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    using Clock = std::chrono::steady_clock;
    struct Handler
    {
        Steinberg::Linux::IEventHandler* handler;
        int fd;
    };
    struct Timer
    {
        Steinberg::Linux::ITimerHandler* handler;
        std::chrono::milliseconds interval;
        Clock::time_point due;
    };
    std::vector<Handler> handlers;
    std::vector<Timer> timers;

    /** Whether a handler is still registered: one may unregister another while served. */
    bool registered(Steinberg::Linux::IEventHandler* handler) const;
    bool registered(Steinberg::Linux::ITimerHandler* handler) const;
};

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
