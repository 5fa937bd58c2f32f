// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux run loop: descriptors served through poll(), timers by the steady clock.
#include "HostOwned.h"
#include "RunLoop.h"

#include "pluginterfaces/gui/iplugview.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

class RunLoop::Platform : public HostOwned<Linux::IRunLoop>
{
public:
    using Clock = std::chrono::steady_clock;

    ~Platform() { clear(); }

    void clear()
    {
        for (Watch& watch : watches)
            watch.handler->release();
        for (Timer& timer : timers)
            timer.handler->release();
        watches.clear();
        timers.clear();
    }

    void run(int milliseconds)
    {
        const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;)
        {
            serveDescriptors(waitFor(end));
            serveTimers();
            if (Clock::now() >= end) break;
        }
    }

    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler,
                                            Linux::FileDescriptor fd) SMTG_OVERRIDE
    {
        if (!handler || fd < 0) return kInvalidArgument;
        handler->addRef();
        watches.push_back({handler, fd});
        return kResultOk;
    }

    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) SMTG_OVERRIDE
    {
        return unregister(watches, handler);
    }

    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler,
                                     Linux::TimerInterval milliseconds) SMTG_OVERRIDE
    {
        if (!handler || milliseconds == 0) return kInvalidArgument;
        handler->addRef();
        const Clock::duration interval = std::chrono::milliseconds(milliseconds);
        timers.push_back({handler, interval, Clock::now() + interval});
        return kResultOk;
    }

    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) SMTG_OVERRIDE
    {
        return unregister(timers, handler);
    }

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
    std::vector<Watch> watches;
    std::vector<Timer> timers;

private:
    /** Milliseconds to wait in poll(): until the end, or the next timer if that comes first. */
    int waitFor(Clock::time_point end) const
    {
        Clock::time_point until = end;
        for (const Timer& timer : timers)
            until = std::min(until, timer.due);
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
        return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
    }

    template <typename Entry, typename Handler>
    static tresult unregister(std::vector<Entry>& entries, Handler* handler)
    {
        bool found = false;
        for (auto it = entries.begin(); it != entries.end();)
        {
            if (it->handler != handler)
            {
                ++it;
                continue;
            }
            it->handler->release();
            it = entries.erase(it);
            found = true;
        }
        return found ? kResultOk : kInvalidArgument;
    }

    // Handlers may unregister themselves or others while served: each is looked up again
    // before it is called.
    void serveDescriptors(int waitMilliseconds)
    {
        std::vector<pollfd> descriptors;
        for (const Watch& watch : watches)
            descriptors.push_back({watch.fd, POLLIN, 0});
        if (poll(descriptors.data(), static_cast<nfds_t>(descriptors.size()), waitMilliseconds) <=
            0)
            return;
        std::vector<Watch> ready;
        for (size_t i = 0; i < descriptors.size(); ++i)
        {
            if (descriptors[i].revents & (POLLIN | POLLHUP | POLLERR)) ready.push_back(watches[i]);
        }
        for (const Watch& watch : ready)
        {
            const auto still = std::find_if(watches.begin(), watches.end(), [&](const Watch& w) {
                return w.handler == watch.handler && w.fd == watch.fd;
            });
            if (still != watches.end()) watch.handler->onFDIsSet(watch.fd);
        }
    }

    void serveTimers()
    {
        const Clock::time_point now = Clock::now();
        std::vector<Linux::ITimerHandler*> due;
        for (Timer& timer : timers)
        {
            if (timer.due > now) continue;
            due.push_back(timer.handler);
            timer.due = std::max(timer.due + timer.interval, now); // late timers do not pile up
        }
        for (Linux::ITimerHandler* handler : due)
        {
            const auto still = std::find_if(timers.begin(), timers.end(),
                                            [&](const Timer& t) { return t.handler == handler; });
            if (still != timers.end()) handler->onTimer();
        }
    }
};

RunLoop::RunLoop() : platform(new Platform()) {}
RunLoop::~RunLoop() = default;

void RunLoop::run(int milliseconds)
{
    platform->run(std::max(milliseconds, 0));
}

void RunLoop::clear()
{
    platform->clear();
}

std::size_t RunLoop::eventHandlerCount() const
{
    return platform->watches.size();
}

std::size_t RunLoop::timerCount() const
{
    return platform->timers.size();
}

tresult RunLoop::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
    {
        *obj = static_cast<Linux::IRunLoop*>(platform.get());
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
