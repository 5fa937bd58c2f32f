// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for a plug-in's view, for tests of the host's side on Linux: it embeds in X11
// windows, and once attached registers a timer and a descriptor (a pipe's read end) with the run
// loop its frame lends; its handler counts what it is called for, and removed() unregisters it.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <unistd.h>

#include <cstring>
#include <string>

namespace HostingTest {

class RunLoopHandler : public Steinberg::Linux::ITimerHandler,
                       public Steinberg::Linux::IEventHandler
{
public:
    RunLoopHandler()
    {
        if (pipe(ends) != 0) ends[0] = ends[1] = -1;
    }
    virtual ~RunLoopHandler()
    {
        close(ends[0]);
        close(ends[1]);
    }
    RunLoopHandler(const RunLoopHandler&) = delete;
    RunLoopHandler& operator=(const RunLoopHandler&) = delete;

    int readEnd() const { return ends[0]; }
    /** Makes the descriptor ready. */
    bool poke() { return write(ends[1], "x", 1) == 1; }

    void PLUGIN_API onTimer() override
    {
        ++ticks;
        if (loop && unregisterOnTick) loop->unregisterTimer(unregisterOnTick);
    }
    void PLUGIN_API onFDIsSet(Steinberg::Linux::FileDescriptor fd) override
    {
        char byte = 0;
        if (read(fd, &byte, 1) == 1) ++wakeups;
    }
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID, void** obj) override
    {
        *obj = nullptr;
        return Steinberg::kNoInterface;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs; }

    int ticks = 0;
    int wakeups = 0;
    Steinberg::uint32 refs = 1;
    /** A timer to unregister from within onTimer(), from this loop. */
    Steinberg::Linux::IRunLoop* loop = nullptr;
    Steinberg::Linux::ITimerHandler* unregisterOnTick = nullptr;

private:
    int ends[2] = {-1, -1};
};

class StandInView : public Steinberg::IPlugView
{
public:
    using tresult = Steinberg::tresult;

    tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override
    {
        return std::strcmp(type, Steinberg::kPlatformTypeX11EmbedWindowID) == 0
                   ? Steinberg::kResultTrue
                   : Steinberg::kResultFalse;
    }
    tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override
    {
        parentWindow = parent;
        platform = type;
        void* loop = nullptr;
        if (!frame ||
            frame->queryInterface(Steinberg::Linux::IRunLoop::iid, &loop) != Steinberg::kResultOk)
            return Steinberg::kResultFalse;
        runLoop = static_cast<Steinberg::Linux::IRunLoop*>(loop);
        runLoop->registerTimer(&handler, 1);
        runLoop->registerEventHandler(&handler, handler.readEnd());
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API removed() override
    {
        runLoop->unregisterTimer(&handler);
        runLoop->unregisterEventHandler(&handler);
        ++removals;
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API onWheel(float) override { return Steinberg::kResultFalse; }
    tresult PLUGIN_API onKeyDown(Steinberg::char16, Steinberg::int16, Steinberg::int16) override
    {
        return Steinberg::kResultFalse;
    }
    tresult PLUGIN_API onKeyUp(Steinberg::char16, Steinberg::int16, Steinberg::int16) override
    {
        return Steinberg::kResultFalse;
    }
    tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override
    {
        *size = Steinberg::ViewRect(0, 0, 778, 465);
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API onSize(Steinberg::ViewRect* size) override
    {
        resizedTo = *size;
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API onFocus(Steinberg::TBool) override { return Steinberg::kResultOk; }
    tresult PLUGIN_API setFrame(Steinberg::IPlugFrame* f) override
    {
        frame = f;
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API canResize() override { return Steinberg::kResultFalse; }
    tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect*) override
    {
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API queryInterface(const Steinberg::TUID, void** obj) override
    {
        *obj = nullptr;
        return Steinberg::kNoInterface;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return ++refs; }
    Steinberg::uint32 PLUGIN_API release() override { return --refs; }

    RunLoopHandler handler;
    Steinberg::IPlugFrame* frame = nullptr;
    Steinberg::Linux::IRunLoop* runLoop = nullptr;
    void* parentWindow = nullptr;
    std::string platform;
    Steinberg::ViewRect resizedTo;
    int removals = 0;
    Steinberg::uint32 refs = 0;
};

} // namespace HostingTest
