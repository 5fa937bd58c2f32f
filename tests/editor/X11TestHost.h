// SPDX-License-Identifier: GPL-3.0-or-later
// A host's side of an embedded editor on X11, for tests: an X server (the one in $DISPLAY or an
// Xvfb started for the test), a host window, the IPlugFrame with the IRunLoop that drives the
// editor, synthetic mouse input and reading the window's pixels back.
#pragma once

#include "pluginterfaces/gui/iplugview.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

namespace EditorTest {

/** Makes sure DISPLAY names a working X server, starting Xvfb when there is none. */
class XServer
{
public:
    XServer() = default;
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    bool start(std::string& error);

private:
    bool keepAlive(std::string& error);

    pid_t xvfb = -1;
    xcb_connection_t* keeper = nullptr;
};

/** The host's frame for the view and its run loop: event handlers on descriptors and timers,
 *  dispatched by pump() on the calling thread as a host's UI loop would. */
class TestPlugFrame : public Steinberg::IPlugFrame, public Steinberg::Linux::IRunLoop
{
public:
    ~TestPlugFrame();

    /** Runs the loop for `milliseconds`: ready descriptors and due timers call their handlers. */
    void pump(int milliseconds);

    std::size_t eventHandlerCount() const { return handlers.size(); }
    std::size_t timerCount() const { return timers.size(); }
    int resizeRequests = 0;

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
    struct Handler
    {
        Steinberg::Linux::IEventHandler* handler;
        int fd;
    };
    struct Timer
    {
        Steinberg::Linux::ITimerHandler* handler;
        std::uint64_t interval, due;
    };
    std::vector<Handler> handlers;
    std::vector<Timer> timers;
};

/** 0xRRGGBB pixels of a window, rows top to bottom. */
struct Screenshot
{
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
};

/** A top-level window standing for the host's editor window, on its own X connection. */
class HostWindow
{
public:
    HostWindow() = default;
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool open(int width, int height, std::string& error);
    xcb_window_t id() const { return window; }
    /** The windows embedded in the host window (the editor's, while it is attached). */
    std::vector<xcb_window_t> children() const;
    /** Size of a window; false when it does not exist. */
    bool geometry(xcb_window_t target, int& width, int& height) const;
    /** True when the window carries _XEMBED_INFO with the mapped flag. */
    bool declaresXEmbedMapped(xcb_window_t target) const;
    Screenshot screenshot() const;

    /** Mouse input for the embedded editor, in editor pixels, as the X server would send it. */
    void press(int x, int y, std::uint16_t modifiers = 0);
    void move(int x, int y);
    void release(int x, int y);
    void click(int x, int y);
    /** A click of the right button, which opens context menus. */
    void rightClick(int x, int y);

private:
    void sendButton(std::uint8_t type, int x, int y, std::uint16_t state, std::uint8_t button = 1);

    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    xcb_window_t root = 0;
    std::uint32_t time = 1;
    bool buttonDown = false;
};

} // namespace EditorTest
