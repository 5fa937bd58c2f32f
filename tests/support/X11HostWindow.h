// SPDX-License-Identifier: GPL-3.0-or-later
// The host's side of an embedded editor on X11, for tests: a top-level window on the host's own
// X connection to the test program's private X server, for the editor to embed into, mouse and key
// input sent to the embedded window as the X server would deliver it, and what the windows show
// read back.
#pragma once

#include "Picture.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

class X11HostWindow
{
public:
    X11HostWindow() = default;
    ~X11HostWindow();
    X11HostWindow(const X11HostWindow&) = delete;
    X11HostWindow& operator=(const X11HostWindow&) = delete;

    /** Opens the window on the test program's X server, which starts on first use; false with
     *  the reason in error. */
    bool open(int width, int height, std::string& error);
    xcb_window_t id() const { return window; }
    /** The window as a host hands it to IPlugView::attached. */
    void* parent() const { return reinterpret_cast<void*>(std::uintptr_t(window)); }

    /** The windows embedded in the host window (the editor's, while it is attached). */
    std::vector<xcb_window_t> children() const;
    /** The first embedded window, or 0. */
    xcb_window_t embedded() const;
    /** The editor talks to the server on its own connection: waits up to a second for the
     *  server to show `count` embedded windows. */
    bool waitForChildren(std::size_t count) const;
    /** Size of a window; 0 x 0 when it does not exist. */
    void size(xcb_window_t target, int& width, int& height) const;
    /** A property of a window as 32-bit words. */
    std::vector<std::uint32_t> property(xcb_window_t target, const char* name) const;
    /** One pixel of a window as 0xRRGGBB. */
    std::uint32_t pixel(xcb_window_t from, int x, int y) const;
    /** All of the host window, the embedded editor in it. */
    Picture screenshot() const;

    /** Input for a window (the embedded one unless told), in its pixels. Consecutive presses
     *  lie far apart in time, never a double-click. */
    void button(std::uint8_t type, std::uint8_t button, int x, int y, std::uint16_t state = 0,
                xcb_window_t to = 0);
    void motion(int x, int y, std::uint16_t state, xcb_window_t to = 0);
    /** A press and release of the key that gives `keysym`; false when no key gives it. */
    bool key(std::uint32_t keysym, xcb_window_t to = 0);
    /** Left-button gestures on the embedded window. */
    void press(int x, int y, std::uint16_t modifiers = 0);
    void move(int x, int y);
    void release(int x, int y);
    void click(int x, int y);

    /** Gives the keyboard focus to the host window, as a click into the host does. */
    void takeFocus();
    xcb_window_t focus() const;

private:
    void send(xcb_window_t to, const void* event, std::size_t size);
    xcb_window_t target(xcb_window_t to) const { return to ? to : embedded(); }

    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    xcb_window_t root = 0;
    std::uint32_t time = 1000;
    bool buttonDown = false;
};

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
