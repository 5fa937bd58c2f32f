// SPDX-License-Identifier: GPL-3.0-or-later
#include "Vst2EditorHost.h"

#if SMTG_OS_LINUX
#include <poll.h>
#endif

#include <algorithm>
#include <limits>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

#if SMTG_OS_WINDOWS
const FIDString kHostWindowType = kPlatformTypeHWND;
#else
const FIDString kHostWindowType = kPlatformTypeX11EmbedWindowID;
#endif

short toShort(int32 value)
{
    return static_cast<short>(
        std::min<int32>(std::max<int32>(value, 0), std::numeric_limits<short>::max()));
}

} // namespace

Vst2EditorHost::Vst2EditorHost(audioMasterCallback host, AEffect* effect)
    : host(host), effect(effect)
{}

Vst2EditorHost::~Vst2EditorHost()
{
    close();
    releaseView();
    dropHandlers();
}

IPlugView* Vst2EditorHost::ensureView(IEditController* controller)
{
    if (view || !controller) return view;
    view = controller->createView(kViewName);
    if (view && view->isPlatformTypeSupported(kHostWindowType) != kResultTrue) releaseView();
    return view;
}

void Vst2EditorHost::releaseView()
{
    if (!view) return;
    view->release();
    view = nullptr;
}

bool Vst2EditorHost::available(IEditController* controller)
{
    const bool hadView = view != nullptr;
    const bool found = ensureView(controller) != nullptr;
    if (!hadView) releaseView(); // asked only to learn whether there is one
    return found;
}

bool Vst2EditorHost::getRect(IEditController* controller, ERect** out)
{
    if (!out) return false;
    *out = nullptr;
    IPlugView* current = ensureView(controller);
    ViewRect size{};
    if (!current || current->getSize(&size) != kResultOk) return false;
    rect.top = 0;
    rect.left = 0;
    rect.bottom = toShort(size.getHeight());
    rect.right = toShort(size.getWidth());
    *out = &rect;
    return true;
}

bool Vst2EditorHost::open(IEditController* controller, void* parentWindow)
{
    if (attached) close();
    if (!parentWindow) return false;
    IPlugView* current = ensureView(controller);
    if (!current) return false;
    current->setFrame(this);
    if (current->attached(parentWindow, kHostWindowType) != kResultOk)
    {
        current->setFrame(nullptr);
        releaseView();
        dropHandlers();
        return false;
    }
    attached = true;
    return true;
}

void Vst2EditorHost::close()
{
    if (!view) return;
    if (attached) view->removed();
    attached = false;
    view->setFrame(nullptr);
    releaseView(); // a fresh view for the next open, as VST 3 hosts do
    dropHandlers();
}

void Vst2EditorHost::dropHandlers()
{
#if SMTG_OS_LINUX
    for (Watch& watch : watches)
        watch.handler->release();
    for (Timer& timer : timers)
        timer.handler->release();
    watches.clear();
    timers.clear();
#endif
}

void Vst2EditorHost::idle()
{
#if SMTG_OS_LINUX
    // Handlers may unregister themselves or others while served: each is looked up again
    // before it is called.
    std::vector<Watch> ready;
    std::vector<pollfd> descriptors;
    for (const Watch& watch : watches)
        descriptors.push_back({watch.fd, POLLIN, 0});
    if (!descriptors.empty() &&
        poll(descriptors.data(), static_cast<nfds_t>(descriptors.size()), 0) > 0)
    {
        for (size_t i = 0; i < descriptors.size(); ++i)
        {
            if (descriptors[i].revents & (POLLIN | POLLHUP | POLLERR)) ready.push_back(watches[i]);
        }
    }
    for (const Watch& watch : ready)
    {
        const auto still = std::find_if(watches.begin(), watches.end(), [&](const Watch& w) {
            return w.handler == watch.handler && w.fd == watch.fd;
        });
        if (still != watches.end()) watch.handler->onFDIsSet(watch.fd);
    }

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
#endif
}

tresult PLUGIN_API Vst2EditorHost::resizeView(IPlugView* resized, ViewRect* newSize)
{
    if (!resized || resized != view || !newSize) return kInvalidArgument;
    if (host)
        host(effect, audioMasterSizeWindow, newSize->getWidth(), newSize->getHeight(), nullptr,
             0.0f);
    return resized->onSize(newSize);
}

#if SMTG_OS_LINUX
tresult PLUGIN_API Vst2EditorHost::registerEventHandler(Linux::IEventHandler* handler,
                                                        Linux::FileDescriptor fd)
{
    if (!handler || fd < 0) return kInvalidArgument;
    handler->addRef();
    watches.push_back({handler, fd});
    return kResultOk;
}

tresult PLUGIN_API Vst2EditorHost::unregisterEventHandler(Linux::IEventHandler* handler)
{
    bool found = false;
    for (auto it = watches.begin(); it != watches.end();)
    {
        if (it->handler != handler)
        {
            ++it;
            continue;
        }
        it->handler->release();
        it = watches.erase(it);
        found = true;
    }
    return found ? kResultOk : kInvalidArgument;
}

tresult PLUGIN_API Vst2EditorHost::registerTimer(Linux::ITimerHandler* handler,
                                                 Linux::TimerInterval milliseconds)
{
    if (!handler || milliseconds == 0) return kInvalidArgument;
    handler->addRef();
    const Clock::duration interval = std::chrono::milliseconds(milliseconds);
    timers.push_back({handler, interval, Clock::now() + interval});
    return kResultOk;
}

tresult PLUGIN_API Vst2EditorHost::unregisterTimer(Linux::ITimerHandler* handler)
{
    bool found = false;
    for (auto it = timers.begin(); it != timers.end();)
    {
        if (it->handler != handler)
        {
            ++it;
            continue;
        }
        it->handler->release();
        it = timers.erase(it);
        found = true;
    }
    return found ? kResultOk : kInvalidArgument;
}

#endif

tresult PLUGIN_API Vst2EditorHost::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        FUnknownPrivate::iidEqual(iid, IPlugFrame::iid))
    {
        *obj = static_cast<IPlugFrame*>(this);
        return kResultOk;
    }
#if SMTG_OS_LINUX
    if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
    {
        *obj = static_cast<Linux::IRunLoop*>(this);
        return kResultOk;
    }
#endif
    *obj = nullptr;
    return kNoInterface;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
