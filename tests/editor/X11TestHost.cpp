// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11TestHost.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace EditorTest {

using namespace Steinberg;

namespace {

std::uint64_t nowMs()
{
    return std::uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now().time_since_epoch())
                             .count());
}

/** A connection to the server in DISPLAY, or null. Kept open by the caller: a server resets when
    its last client leaves, and a connection made during that reset is refused. */
xcb_connection_t* connectToDisplay()
{
    if (!std::getenv("DISPLAY")) return nullptr;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!xcb_connection_has_error(connection)) return connection;
    xcb_disconnect(connection);
    return nullptr;
}

} // namespace

XServer::~XServer()
{
    if (keeper) xcb_disconnect(keeper);
    if (xvfb > 0)
    {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
}

bool XServer::start(std::string& error)
{
    if (keeper) return true;
    keeper = connectToDisplay();
    if (keeper) return true;
    int fds[2];
    if (pipe(fds) != 0)
    {
        error = "cannot make a pipe for Xvfb";
        return false;
    }
    xvfb = fork();
    if (xvfb == 0)
    {
        // The server ends with the test, even one that crashes, and keeps its talk to itself.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number.push_back(c);
    close(fds[0]);
    if (xvfb < 0 || number.empty())
    {
        error = "no X server: DISPLAY is not usable and Xvfb did not start (is xvfb installed?)";
        return false;
    }
    setenv("DISPLAY", (":" + number).c_str(), 1);
    return keepAlive(error);
}

bool XServer::keepAlive(std::string& error)
{
    // A server resets when its last client leaves; one connection kept open for the whole run
    // keeps it up between tests.
    keeper = xcb_connect(nullptr, nullptr);
    if (!xcb_connection_has_error(keeper)) return true;
    xcb_disconnect(keeper);
    keeper = nullptr;
    error = "the X server in DISPLAY does not answer";
    return false;
}

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
    if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
    {
        *obj = static_cast<Linux::IRunLoop*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

tresult PLUGIN_API TestPlugFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
    ++resizeRequests;
    return view && newSize ? view->onSize(newSize) : kInvalidArgument;
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
    for (auto it = handlers.begin(); it != handlers.end(); ++it)
        if (it->handler == handler)
        {
            handlers.erase(it);
            handler->release();
            return kResultOk;
        }
    return kInvalidArgument;
}

tresult PLUGIN_API TestPlugFrame::registerTimer(Linux::ITimerHandler* handler,
                                                Linux::TimerInterval ms)
{
    if (!handler || ms == 0) return kInvalidArgument;
    handler->addRef();
    timers.push_back({handler, ms, nowMs() + ms});
    return kResultOk;
}

tresult PLUGIN_API TestPlugFrame::unregisterTimer(Linux::ITimerHandler* handler)
{
    for (auto it = timers.begin(); it != timers.end(); ++it)
        if (it->handler == handler)
        {
            timers.erase(it);
            handler->release();
            return kResultOk;
        }
    return kInvalidArgument;
}

void TestPlugFrame::pump(int milliseconds)
{
    const std::uint64_t end = nowMs() + std::uint64_t(milliseconds);
    for (;;)
    {
        const std::uint64_t now = nowMs();
        // Timers first; a handler may unregister itself or others, so work on a copy.
        std::vector<Timer> due;
        for (Timer& t : timers)
            if (t.due <= now)
            {
                due.push_back(t);
                t.due = now + t.interval;
            }
        for (Timer& t : due)
        {
            const bool stillRegistered =
                std::any_of(timers.begin(), timers.end(),
                            [&t](const Timer& x) { return x.handler == t.handler; });
            if (stillRegistered) t.handler->onTimer();
        }
        if (now >= end) break;

        std::uint64_t wait = end - now;
        for (const Timer& t : timers)
            wait = std::min(wait, t.due > now ? t.due - now : 0);
        std::vector<pollfd> fds;
        for (const Handler& h : handlers)
            fds.push_back({h.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), int(std::min<std::uint64_t>(wait, 20))) <= 0) continue;
        std::vector<Handler> ready;
        for (std::size_t i = 0; i < fds.size(); ++i)
            if (fds[i].revents) ready.push_back(handlers[i]);
        for (Handler& h : ready)
            h.handler->onFDIsSet(h.fd);
    }
}

HostWindow::~HostWindow()
{
    if (connection) xcb_disconnect(connection);
}

bool HostWindow::open(int width, int height, std::string& error)
{
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection))
    {
        error = "cannot connect to the X server";
        return false;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    root = screen->root;
    window = xcb_generate_id(connection);
    const std::uint32_t values[] = {screen->black_pixel};
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, root, 0, 0, std::uint16_t(width),
                      std::uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL, values);
    xcb_map_window(connection, window);
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return true;
}

std::vector<xcb_window_t> HostWindow::children() const
{
    std::vector<xcb_window_t> result;
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    if (!tree) return result;
    const xcb_window_t* list = xcb_query_tree_children(tree);
    result.assign(list, list + xcb_query_tree_children_length(tree));
    free(tree);
    return result;
}

bool HostWindow::geometry(xcb_window_t target, int& width, int& height) const
{
    xcb_get_geometry_reply_t* reply =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, target), nullptr);
    if (!reply) return false;
    width = reply->width;
    height = reply->height;
    free(reply);
    return true;
}

bool HostWindow::declaresXEmbedMapped(xcb_window_t target) const
{
    const char name[] = "_XEMBED_INFO";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof(name) - 1, name), nullptr);
    if (!atom) return false;
    xcb_get_property_reply_t* property = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, target, atom->atom, atom->atom, 0, 2), nullptr);
    free(atom);
    bool mapped = false;
    if (property && property->format == 32 && xcb_get_property_value_length(property) >= 8)
        mapped = (static_cast<const std::uint32_t*>(xcb_get_property_value(property))[1] & 1) != 0;
    free(property);
    return mapped;
}

Screenshot HostWindow::screenshot() const
{
    Screenshot shot;
    int width = 0, height = 0;
    if (!geometry(window, width, height)) return shot;
    xcb_get_image_reply_t* image =
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                          std::uint16_t(width), std::uint16_t(height), ~0u),
                            nullptr);
    if (!image) return shot;
    // A 24-bit visual keeps 32 bits per pixel, blue in the lowest byte.
    if (xcb_get_image_data_length(image) >= width * height * 4)
    {
        shot.width = width;
        shot.height = height;
        shot.pixels.resize(std::size_t(width) * height);
        std::memcpy(shot.pixels.data(), xcb_get_image_data(image), shot.pixels.size() * 4);
        for (std::uint32_t& p : shot.pixels)
            p &= 0xFFFFFF;
    }
    free(image);
    return shot;
}

void HostWindow::sendButton(std::uint8_t type, int x, int y, std::uint16_t state,
                            std::uint8_t button)
{
    const std::vector<xcb_window_t> embedded = children();
    if (embedded.empty()) return;
    xcb_button_press_event_t event{};
    event.response_type = type;
    event.detail = type == XCB_MOTION_NOTIFY ? 0 : button;
    event.time = time += 700; // far enough apart never to count as a double-click
    event.root = root;
    event.event = embedded.front();
    event.event_x = std::int16_t(x);
    event.event_y = std::int16_t(y);
    event.root_x = std::int16_t(x);
    event.root_y = std::int16_t(y);
    event.state = state;
    event.same_screen = 1;
    xcb_send_event(connection, 0, embedded.front(), 0, reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

void HostWindow::press(int x, int y, std::uint16_t modifiers)
{
    sendButton(XCB_BUTTON_PRESS, x, y, modifiers);
    buttonDown = true;
}

void HostWindow::move(int x, int y)
{
    sendButton(XCB_MOTION_NOTIFY, x, y, buttonDown ? XCB_BUTTON_MASK_1 : 0);
}

void HostWindow::release(int x, int y)
{
    sendButton(XCB_BUTTON_RELEASE, x, y, XCB_BUTTON_MASK_1);
    buttonDown = false;
}

void HostWindow::click(int x, int y)
{
    press(x, y);
    release(x, y);
}

void HostWindow::rightClick(int x, int y)
{
    sendButton(XCB_BUTTON_PRESS, x, y, 0, 3);
    sendButton(XCB_BUTTON_RELEASE, x, y, XCB_BUTTON_MASK_3, 3);
}

} // namespace EditorTest
