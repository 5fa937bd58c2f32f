// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11HostWindow.h"
#include "XServer.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

namespace {

// Further apart than any double-click time.
constexpr std::uint32_t kEventSpacingMs = 700;

/** A pointer event (button or motion) at x, y of window `to`, as the server fills it in. */
template <typename Event>
Event pointerEvent(std::uint8_t type, xcb_window_t root, xcb_window_t to, int x, int y,
                   std::uint16_t state, std::uint32_t time)
{
    Event event{};
    event.response_type = type;
    event.time = time;
    event.root = root;
    event.event = to;
    event.event_x = std::int16_t(x);
    event.event_y = std::int16_t(y);
    event.root_x = std::int16_t(x);
    event.root_y = std::int16_t(y);
    event.state = state;
    event.same_screen = 1;
    return event;
}

} // namespace

X11HostWindow::~X11HostWindow()
{
    if (!connection) return;
    if (window) xcb_destroy_window(connection, window);
    xcb_disconnect(connection);
}

bool X11HostWindow::open(int width, int height, std::string& error)
{
    const XServer& server = XServer::shared();
    if (!server.running())
    {
        error = server.error();
        return false;
    }
    connection = xcb_connect(server.display().c_str(), nullptr);
    if (xcb_connection_has_error(connection))
    {
        xcb_disconnect(connection);
        connection = nullptr;
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
    // A round trip, so that the window exists before the editor's own connection looks for it.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return true;
}

std::vector<xcb_window_t> X11HostWindow::children() const
{
    std::vector<xcb_window_t> result;
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    if (!tree) return result;
    const xcb_window_t* list = xcb_query_tree_children(tree);
    result.assign(list, list + xcb_query_tree_children_length(tree));
    std::free(tree);
    return result;
}

xcb_window_t X11HostWindow::embedded() const
{
    const std::vector<xcb_window_t> list = children();
    return list.empty() ? 0 : list.front();
}

bool X11HostWindow::waitForChildren(std::size_t count) const
{
    for (int i = 0; i < 100; ++i)
    {
        if (children().size() == count) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void X11HostWindow::size(xcb_window_t target, int& width, int& height) const
{
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, target), nullptr);
    width = geometry ? geometry->width : 0;
    height = geometry ? geometry->height : 0;
    std::free(geometry);
}

std::vector<std::uint32_t> X11HostWindow::property(xcb_window_t target, const char* name) const
{
    std::vector<std::uint32_t> result;
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, std::uint16_t(std::strlen(name)), name),
        nullptr);
    if (!atom) return result;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, target, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 16),
        nullptr);
    std::free(atom);
    if (!reply) return result;
    if (reply->format == 32)
    {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        result.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return result;
}

std::uint32_t X11HostWindow::pixel(xcb_window_t from, int x, int y) const
{
    xcb_get_image_reply_t* image =
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, from,
                                          std::int16_t(x), std::int16_t(y), 1, 1, ~0u),
                            nullptr);
    if (!image) return 0xDEADBEEF;
    std::uint32_t value = 0;
    if (xcb_get_image_data_length(image) >= 4) std::memcpy(&value, xcb_get_image_data(image), 4);
    std::free(image);
    return value & 0xFFFFFF;
}

Picture X11HostWindow::screenshot() const
{
    Picture shot;
    int width = 0, height = 0;
    size(window, width, height);
    if (width == 0) return shot;
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
        shot.pixels.resize(std::size_t(width) * std::size_t(height));
        std::memcpy(shot.pixels.data(), xcb_get_image_data(image), shot.pixels.size() * 4);
        for (std::uint32_t& p : shot.pixels)
            p &= 0xFFFFFF;
    }
    std::free(image);
    return shot;
}

void X11HostWindow::send(xcb_window_t to, const void* event, std::size_t size)
{
    // Every X event travels in 32 bytes.
    char buffer[32] = {};
    std::memcpy(buffer, event, size < sizeof(buffer) ? size : sizeof(buffer));
    xcb_send_event(connection, 0, to, XCB_EVENT_MASK_NO_EVENT, buffer);
    xcb_flush(connection);
}

void X11HostWindow::button(std::uint8_t type, std::uint8_t button, int x, int y,
                           std::uint16_t state, xcb_window_t to)
{
    to = target(to);
    if (!to) return;
    auto event = pointerEvent<xcb_button_press_event_t>(type, root, to, x, y, state,
                                                        time += kEventSpacingMs);
    event.detail = button;
    send(to, &event, sizeof(event));
}

void X11HostWindow::motion(int x, int y, std::uint16_t state, xcb_window_t to)
{
    to = target(to);
    if (!to) return;
    const auto event = pointerEvent<xcb_motion_notify_event_t>(XCB_MOTION_NOTIFY, root, to, x, y,
                                                               state, time += kEventSpacingMs);
    send(to, &event, sizeof(event));
}

bool X11HostWindow::key(std::uint32_t keysym, xcb_window_t to)
{
    to = target(to);
    const xcb_setup_t* setup = xcb_get_setup(connection);
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        connection,
        xcb_get_keyboard_mapping(connection, setup->min_keycode,
                                 std::uint8_t(setup->max_keycode - setup->min_keycode + 1)),
        nullptr);
    if (!map) return false;
    const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(map);
    xcb_keycode_t code = 0;
    for (int c = setup->min_keycode; c <= setup->max_keycode && !code; ++c)
        if (symbols[(c - setup->min_keycode) * map->keysyms_per_keycode] == keysym)
            code = xcb_keycode_t(c);
    std::free(map);
    if (!code || !to) return false;
    for (std::uint8_t type : {std::uint8_t(XCB_KEY_PRESS), std::uint8_t(XCB_KEY_RELEASE)})
    {
        xcb_key_press_event_t event{};
        event.response_type = type;
        event.detail = code;
        event.time = time += kEventSpacingMs;
        event.root = root;
        event.event = to;
        event.same_screen = 1;
        send(to, &event, sizeof(event));
    }
    return true;
}

void X11HostWindow::press(int x, int y, std::uint16_t modifiers)
{
    button(XCB_BUTTON_PRESS, 1, x, y, modifiers);
    buttonDown = true;
}

void X11HostWindow::move(int x, int y)
{
    motion(x, y, buttonDown ? XCB_BUTTON_MASK_1 : 0);
}

void X11HostWindow::release(int x, int y)
{
    button(XCB_BUTTON_RELEASE, 1, x, y, XCB_BUTTON_MASK_1);
    buttonDown = false;
}

void X11HostWindow::click(int x, int y)
{
    press(x, y);
    release(x, y);
}

void X11HostWindow::takeFocus()
{
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    xcb_flush(connection);
}

xcb_window_t X11HostWindow::focus() const
{
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    const xcb_window_t result = reply ? reply->focus : 0;
    std::free(reply);
    return result;
}

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
