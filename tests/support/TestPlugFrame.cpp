// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPlugFrame.h"

#include <algorithm>
#include <poll.h>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

namespace {

/** Takes a handler out of its list and releases it; kInvalidArgument when it is not there. */
template <typename Entry, typename Handler>
tresult unregister(std::vector<Entry>& list, Handler* handler)
{
    const auto found = std::find_if(list.begin(), list.end(),
                                    [handler](const Entry& e) { return e.handler == handler; });
    if (found == list.end()) return kInvalidArgument;
    list.erase(found);
    handler->release();
    return kResultOk;
}

} // namespace

TestPlugFrame::~TestPlugFrame()
{
    for (Handler& h : handlers)
        h.handler->release();
    for (Timer& t : timers)
        t.handler->release();
}

tresult PLUGIN_API TestPlugFrame::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        FUnknownPrivate::iidEqual(iid, IPlugFrame::iid))
    {
        *obj = static_cast<IPlugFrame*>(this);
        return kResultOk;
    }
    if (offerRunLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
    {
        *obj = static_cast<Linux::IRunLoop*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

tresult PLUGIN_API TestPlugFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
    if (!view || !newSize) return kInvalidArgument;
    ++resizes;
    lastResize = *newSize;
    return view->onSize(newSize);
}

tresult PLUGIN_API TestPlugFrame::registerEventHandler(Linux::IEventHandler* handler,
                                                       Linux::FileDescriptor fd)
{
    if (!handler) return kInvalidArgument;
    handler->addRef();
    handlers.push_back({handler, fd});
    return kResultOk;
}

tresult PLUGIN_API TestPlugFrame::unregisterEventHandler(Linux::IEventHandler* handler)
{
    return unregister(handlers, handler);
}

tresult PLUGIN_API TestPlugFrame::registerTimer(Linux::ITimerHandler* handler,
                                                Linux::TimerInterval ms)
{
    if (!handler || ms == 0) return kInvalidArgument;
    handler->addRef();
    ++timerRegistrations;
    const std::chrono::milliseconds interval(ms);
    timers.push_back({handler, interval, Clock::now() + interval});
    return kResultOk;
}

tresult PLUGIN_API TestPlugFrame::unregisterTimer(Linux::ITimerHandler* handler)
{
    return unregister(timers, handler);
}

bool TestPlugFrame::registered(Linux::IEventHandler* handler) const
{
    return std::any_of(handlers.begin(), handlers.end(),
                       [handler](const Handler& h) { return h.handler == handler; });
}

bool TestPlugFrame::registered(Linux::ITimerHandler* handler) const
{
    return std::any_of(timers.begin(), timers.end(),
                       [handler](const Timer& t) { return t.handler == handler; });
}

void TestPlugFrame::runOnce(int timeoutMs)
{
    std::vector<pollfd> fds;
    for (const Handler& h : handlers)
        fds.push_back({h.fd, POLLIN, 0});
    int wait = timeoutMs;
    const Clock::time_point now = Clock::now();
    for (const Timer& t : timers)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(t.due - now);
        wait = std::min(wait, int(std::max<long long>(left.count(), 0)));
    }
    // A handler or timer may unregister itself or another: each is served only while it is
    // still registered.
    std::vector<Handler> ready;
    if (poll(fds.data(), fds.size(), wait) > 0)
        for (std::size_t i = 0; i < fds.size(); ++i)
            if (fds[i].revents) ready.push_back(handlers[i]);
    for (const Handler& h : ready)
        if (registered(h.handler)) h.handler->onFDIsSet(h.fd);
    std::vector<Linux::ITimerHandler*> due;
    const Clock::time_point later = Clock::now();
    for (Timer& t : timers)
        if (later >= t.due)
        {
            t.due = later + t.interval;
            due.push_back(t.handler);
        }
    for (Linux::ITimerHandler* handler : due)
        if (registered(handler)) handler->onTimer();
}

void TestPlugFrame::pump(int milliseconds)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
    do
    {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        runOnce(int(std::clamp<long long>(left, 0, 20)));
    } while (Clock::now() < end);
}

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
