// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/x11/X11Window.h"

#include "platform/cairo/CairoDrawContext.h"

#include "base/source/fobject.h"

#include <cairo-xcb.h>
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace VSTGUI {

using namespace Steinberg;

namespace {

constexpr std::uint32_t kDoubleClickTime = 400;
constexpr int kDoubleClickDistance = 4;
constexpr std::uint32_t kXEmbedMapped = 1;

std::uint64_t monotonicMilliseconds()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

xcb_visualtype_t* findVisual(const xcb_screen_t* screen, xcb_visualid_t id)
{
    for (xcb_depth_iterator_t depth = xcb_screen_allowed_depths_iterator(screen); depth.rem;
         xcb_depth_next(&depth))
        for (xcb_visualtype_iterator_t visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
             xcb_visualtype_next(&visual))
            if (visual.data->visual_id == id) return visual.data;
    return nullptr;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

int32_t buttonStateOf(std::uint16_t state)
{
    int32_t buttons = 0;
    if (state & XCB_MOD_MASK_SHIFT) buttons |= kShift;
    if (state & XCB_MOD_MASK_CONTROL) buttons |= kControl;
    if (state & XCB_MOD_MASK_1) buttons |= kAlt;
    if (state & XCB_BUTTON_MASK_1) buttons |= kLButton;
    if (state & XCB_BUTTON_MASK_2) buttons |= kMButton;
    if (state & XCB_BUTTON_MASK_3) buttons |= kRButton;
    return buttons;
}

unsigned char keyModifiersOf(std::uint16_t state)
{
    unsigned char modifiers = 0;
    if (state & XCB_MOD_MASK_SHIFT) modifiers |= MODIFIER_SHIFT;
    if (state & XCB_MOD_MASK_CONTROL) modifiers |= MODIFIER_CONTROL;
    if (state & XCB_MOD_MASK_1) modifiers |= MODIFIER_ALTERNATE;
    return modifiers;
}

unsigned char virtualKeyOf(xkb_keysym_t sym)
{
    switch (sym)
    {
    case XKB_KEY_BackSpace:
        return VKEY_BACK;
    case XKB_KEY_Tab:
    case XKB_KEY_ISO_Left_Tab:
        return VKEY_TAB;
    case XKB_KEY_Return:
        return VKEY_RETURN;
    case XKB_KEY_KP_Enter:
        return VKEY_ENTER;
    case XKB_KEY_Escape:
        return VKEY_ESCAPE;
    case XKB_KEY_End:
    case XKB_KEY_KP_End:
        return VKEY_END;
    case XKB_KEY_Home:
    case XKB_KEY_KP_Home:
        return VKEY_HOME;
    case XKB_KEY_Left:
    case XKB_KEY_KP_Left:
        return VKEY_LEFT;
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up:
        return VKEY_UP;
    case XKB_KEY_Right:
    case XKB_KEY_KP_Right:
        return VKEY_RIGHT;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down:
        return VKEY_DOWN;
    case XKB_KEY_Page_Up:
        return VKEY_PAGEUP;
    case XKB_KEY_Page_Down:
        return VKEY_PAGEDOWN;
    case XKB_KEY_Delete:
    case XKB_KEY_KP_Delete:
        return VKEY_DELETE;
    default:
        return VKEY_NONE;
    }
}

/** Receives the host's run loop callbacks; holds no reference to the window. */
class RunLoopHandler : public FObject, public Linux::IEventHandler, public Linux::ITimerHandler
{
public:
    explicit RunLoopHandler(X11Window* window) : window(window) {}
    void detach() { window = nullptr; }

    void PLUGIN_API onFDIsSet(Linux::FileDescriptor /*fd*/) SMTG_OVERRIDE
    {
        if (window) window->processEvents();
    }
    void PLUGIN_API onTimer() SMTG_OVERRIDE
    {
        if (window) window->onTimer();
    }

    OBJ_METHODS(RunLoopHandler, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(Linux::IEventHandler)
    DEF_INTERFACE(Linux::ITimerHandler)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

private:
    X11Window* window;
};

} // namespace

struct X11Window::Impl
{
    IPlatformFrameCallback* callback = nullptr;
    Linux::IRunLoop* runLoop = nullptr;
    RunLoopHandler* handler = nullptr;
    bool eventHandlerRegistered = false;
    int dispatching = 0;
    bool timerRunning = false;

    xcb_connection_t* connection = nullptr;
    xcb_window_t parent = 0;
    xcb_window_t window = 0;
    xcb_visualtype_t* visual = nullptr;
    cairo_surface_t* surface = nullptr;

    xkb_context* keyContext = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* keyState = nullptr;

    CPoint editorSize;
    double scale = 1.0;
    std::vector<CRect> exposed; // device pixels

    xcb_timestamp_t lastClickTime = 0;
    int lastClickX = -1000;
    int lastClickY = -1000;
    int lastClickButton = 0;

    int deviceWidth() const { return std::max(1, int(std::lround(editorSize.x * scale))); }
    int deviceHeight() const { return std::max(1, int(std::lround(editorSize.y * scale))); }

    void release()
    {
        if (runLoop)
        {
            if (timerRunning) runLoop->unregisterTimer(handler);
            if (eventHandlerRegistered) runLoop->unregisterEventHandler(handler);
            timerRunning = eventHandlerRegistered = false;
        }
        if (handler)
        {
            handler->detach();
            handler->release();
            handler = nullptr;
        }
        if (runLoop)
        {
            runLoop->release();
            runLoop = nullptr;
        }
        if (surface)
        {
            // cairo keeps a device per X connection; it must be finished before the
            // connection closes.
            cairo_device_t* device = cairo_device_reference(cairo_surface_get_device(surface));
            cairo_surface_destroy(surface);
            surface = nullptr;
            if (device)
            {
                cairo_device_finish(device);
                cairo_device_destroy(device);
            }
        }
        if (keyState) xkb_state_unref(keyState);
        if (keymap) xkb_keymap_unref(keymap);
        if (keyContext) xkb_context_unref(keyContext);
        keyState = nullptr;
        keymap = nullptr;
        keyContext = nullptr;
        if (connection)
        {
            if (window)
            {
                xcb_destroy_window(connection, window);
                xcb_flush(connection);
            }
            xcb_disconnect(connection);
            connection = nullptr;
        }
        window = 0;
    }

    void setUpKeyboard()
    {
        if (!xkb_x11_setup_xkb_extension(
                connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
            return;
        keyContext = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        if (!keyContext) return;
        int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
        if (device < 0) return;
        keymap = xkb_x11_keymap_new_from_device(keyContext, connection, device,
                                                XKB_KEYMAP_COMPILE_NO_FLAGS);
        if (keymap) keyState = xkb_x11_state_new_from_device(keymap, connection, device);
    }

    VstKeyCode translateKey(const xcb_key_press_event_t* event) const
    {
        VstKeyCode code;
        code.modifier = keyModifiersOf(event->state);
        if (!keyState) return code;
        // The core state's modifier bits are the keymap's first eight modifiers.
        xkb_state_update_mask(keyState, event->state & 0xFF, 0, 0, 0, 0, (event->state >> 13) & 3);
        xkb_keysym_t sym = xkb_state_key_get_one_sym(keyState, event->detail);
        code.virt = virtualKeyOf(sym);
        if (code.virt == VKEY_NONE)
        {
            std::uint32_t character = xkb_state_key_get_utf32(keyState, event->detail);
            if (character >= 0x20 && character != 0x7F) code.character = int32_t(character);
        }
        return code;
    }

    void paint()
    {
        if (exposed.empty() || !surface) return;
        cairo_t* cr = cairo_create(surface);
        CRect bounds;
        for (const CRect& r : exposed)
        {
            cairo_rectangle(cr, r.left, r.top, r.getWidth(), r.getHeight());
            bounds.unite(r);
        }
        exposed.clear();
        cairo_clip(cr);
        cairo_push_group(cr);
        {
            CairoDrawContext context(cr, scale);
            CRect update(std::floor(bounds.left / scale), std::floor(bounds.top / scale),
                         std::ceil(bounds.right / scale), std::ceil(bounds.bottom / scale));
            callback->platformDrawRect(context, update);
        }
        cairo_pop_group_to_source(cr);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
    }

    void forwardKey(xcb_key_press_event_t key)
    {
        key.event = parent;
        key.child = XCB_NONE;
        xcb_send_event(connection, 1, parent, XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE,
                       reinterpret_cast<const char*>(&key));
    }

    void handleEvent(xcb_generic_event_t* event);

    CPoint toEditor(int x, int y) const { return CPoint(x / scale, y / scale); }

    void handleButtonPress(const xcb_button_press_event_t* event)
    {
        CPoint where = toEditor(event->event_x, event->event_y);
        int32_t modifiers = buttonStateOf(event->state) & (kShift | kControl | kAlt);
        if (event->detail == 4 || event->detail == 5)
        {
            callback->platformOnMouseWheel(where, event->detail == 4 ? 1.f : -1.f, modifiers);
            return;
        }
        if (event->detail < 1 || event->detail > 3) return;
        int32_t buttons = modifiers | (event->detail == 1   ? kLButton
                                       : event->detail == 2 ? kMButton
                                                            : kRButton);
        if (event->detail == lastClickButton && event->time - lastClickTime < kDoubleClickTime &&
            std::abs(event->event_x - lastClickX) <= kDoubleClickDistance &&
            std::abs(event->event_y - lastClickY) <= kDoubleClickDistance)
        {
            buttons |= kDoubleClick;
            lastClickButton = 0;
        }
        else
        {
            lastClickButton = event->detail;
            lastClickTime = event->time;
            lastClickX = event->event_x;
            lastClickY = event->event_y;
        }
        callback->platformOnMouseDown(where, buttons);
    }
};

std::unique_ptr<X11Window> X11Window::create(std::uint32_t parentWindow, IPlugFrame* plugFrame,
                                             IPlatformFrameCallback* callback,
                                             const CPoint& editorSize, double scale)
{
    if (!plugFrame || !callback || parentWindow == 0) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->callback = callback;
    impl->editorSize = editorSize;
    impl->scale = scale;
    if (plugFrame->queryInterface(Linux::IRunLoop::iid, reinterpret_cast<void**>(&impl->runLoop)) !=
            kResultOk ||
        !impl->runLoop)
    {
        impl->runLoop = nullptr;
        return nullptr;
    }

    int screenNumber = 0;
    impl->connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(impl->connection))
    {
        impl->release();
        return nullptr;
    }
    impl->parent = parentWindow;

    // The window shares the parent's visual and depth, so any host window can hold it.
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        impl->connection, xcb_get_window_attributes(impl->connection, parentWindow), nullptr);
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(
        impl->connection, xcb_get_geometry(impl->connection, parentWindow), nullptr);
    if (!attributes || !geometry)
    {
        std::free(attributes);
        std::free(geometry);
        impl->release();
        return nullptr;
    }
    xcb_visualid_t visualId = attributes->visual;
    std::uint8_t depth = geometry->depth;
    xcb_window_t root = geometry->root;
    std::free(attributes);
    std::free(geometry);
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(impl->connection));
         it.rem && !impl->visual; xcb_screen_next(&it))
        if (it.data->root == root) impl->visual = findVisual(it.data, visualId);
    if (!impl->visual)
    {
        impl->release();
        return nullptr;
    }

    impl->window = xcb_generate_id(impl->connection);
    const std::uint32_t mask = XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_EVENT_MASK;
    const std::uint32_t values[] = {
        XCB_BACK_PIXMAP_NONE, 0,
        XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
            XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_LEAVE_WINDOW | XCB_EVENT_MASK_KEY_PRESS |
            XCB_EVENT_MASK_KEY_RELEASE | XCB_EVENT_MASK_FOCUS_CHANGE};
    xcb_generic_error_t* error = xcb_request_check(
        impl->connection,
        xcb_create_window_checked(impl->connection, depth, impl->window, parentWindow, 0, 0,
                                  std::uint16_t(impl->deviceWidth()),
                                  std::uint16_t(impl->deviceHeight()), 0,
                                  XCB_WINDOW_CLASS_INPUT_OUTPUT, visualId, mask, values));
    if (error)
    {
        std::free(error);
        impl->window = 0;
        impl->release();
        return nullptr;
    }

    // Strict embedders show only clients that declare XEmbed and ask to be mapped.
    xcb_atom_t xembedInfo = internAtom(impl->connection, "_XEMBED_INFO");
    const std::uint32_t info[] = {0, kXEmbedMapped};
    xcb_change_property(impl->connection, XCB_PROP_MODE_REPLACE, impl->window, xembedInfo,
                        xembedInfo, 32, 2, info);
    impl->surface = cairo_xcb_surface_create(impl->connection, impl->window, impl->visual,
                                             impl->deviceWidth(), impl->deviceHeight());
    impl->setUpKeyboard();
    xcb_map_window(impl->connection, impl->window);
    xcb_flush(impl->connection);

    std::unique_ptr<X11Window> result(new X11Window(std::move(impl)));
    Impl& self = *result->impl;
    self.handler = new RunLoopHandler(result.get());
    if (self.runLoop->registerEventHandler(self.handler,
                                           xcb_get_file_descriptor(self.connection)) != kResultOk)
        return nullptr; // the destructor releases everything made so far
    self.eventHandlerRegistered = true;
    return result;
}

X11Window::X11Window(std::unique_ptr<Impl> impl) : impl(std::move(impl)) {}

X11Window::~X11Window()
{
    impl->release();
}

std::uint32_t X11Window::getWindowID() const
{
    return impl->window;
}

void X11Window::invalidRect(const CRect& rect)
{
    if (!impl->connection) return;
    double s = impl->scale;
    int left = std::max(0, int(std::floor(rect.left * s)));
    int top = std::max(0, int(std::floor(rect.top * s)));
    int right = std::min(impl->deviceWidth(), int(std::ceil(rect.right * s)));
    int bottom = std::min(impl->deviceHeight(), int(std::ceil(rect.bottom * s)));
    if (right <= left || bottom <= top) return;
    // Clearing with exposures asks the server for an Expose event: the drawing then happens
    // from the run loop, batched with everything else that became invalid.
    xcb_clear_area(impl->connection, 1, impl->window, std::int16_t(left), std::int16_t(top),
                   std::uint16_t(right - left), std::uint16_t(bottom - top));
    xcb_flush(impl->connection);
}

void X11Window::startTimer(std::uint32_t milliseconds)
{
    if (impl->timerRunning) impl->runLoop->unregisterTimer(impl->handler);
    impl->timerRunning = impl->runLoop->registerTimer(impl->handler, milliseconds) == kResultOk;
}

void X11Window::stopTimer()
{
    if (!impl->timerRunning) return;
    impl->runLoop->unregisterTimer(impl->handler);
    impl->timerRunning = false;
}

bool X11Window::isTimerRunning() const
{
    return impl->timerRunning;
}

void X11Window::setKeyboardFocus(bool take)
{
    if (!impl->connection) return;
    // The editor holds the X focus only while text is typed; the host gets it back after.
    xcb_set_input_focus(impl->connection, XCB_INPUT_FOCUS_PARENT,
                        take ? impl->window : impl->parent, XCB_CURRENT_TIME);
    xcb_flush(impl->connection);
}

std::uint64_t X11Window::getTicks() const
{
    return monotonicMilliseconds();
}

void X11Window::setContentScale(double scale)
{
    impl->scale = scale;
    if (!impl->connection) return;
    const std::uint32_t size[] = {std::uint32_t(impl->deviceWidth()),
                                  std::uint32_t(impl->deviceHeight())};
    xcb_configure_window(impl->connection, impl->window,
                         XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    cairo_xcb_surface_set_size(impl->surface, impl->deviceWidth(), impl->deviceHeight());
    invalidRect(CRect(0, 0, impl->editorSize.x, impl->editorSize.y));
}

void X11Window::onTimer()
{
    if (!impl->connection) return;
    ++impl->dispatching;
    impl->callback->platformOnTimer();
    --impl->dispatching;
}

void X11Window::close()
{
    impl->release();
}

bool X11Window::isDispatching() const
{
    return impl->dispatching > 0;
}

void X11Window::Impl::handleEvent(xcb_generic_event_t* event)
{
    switch (event->response_type & 0x7F)
    {
    case XCB_EXPOSE:
    {
        auto* expose = reinterpret_cast<xcb_expose_event_t*>(event);
        exposed.emplace_back(expose->x, expose->y, expose->x + expose->width,
                             expose->y + expose->height);
        break;
    }
    case XCB_BUTTON_PRESS:
        handleButtonPress(reinterpret_cast<xcb_button_press_event_t*>(event));
        break;
    case XCB_BUTTON_RELEASE:
    {
        auto* release = reinterpret_cast<xcb_button_release_event_t*>(event);
        if (release->detail >= 1 && release->detail <= 3)
            callback->platformOnMouseUp(toEditor(release->event_x, release->event_y),
                                        buttonStateOf(release->state) & (kShift | kControl | kAlt));
        break;
    }
    case XCB_MOTION_NOTIFY:
    {
        auto* motion = reinterpret_cast<xcb_motion_notify_event_t*>(event);
        callback->platformOnMouseMoved(toEditor(motion->event_x, motion->event_y),
                                       buttonStateOf(motion->state));
        break;
    }
    case XCB_LEAVE_NOTIFY:
    {
        // Leaving for a child window or through a grab is not leaving the editor.
        auto* leave = reinterpret_cast<xcb_leave_notify_event_t*>(event);
        if (leave->detail != XCB_NOTIFY_DETAIL_INFERIOR && leave->mode == XCB_NOTIFY_MODE_NORMAL)
            callback->platformOnMouseExited();
        break;
    }
    case XCB_FOCUS_OUT:
    {
        auto* focus = reinterpret_cast<xcb_focus_out_event_t*>(event);
        if (focus->detail == XCB_NOTIFY_DETAIL_INFERIOR || focus->mode == XCB_NOTIFY_MODE_GRAB ||
            focus->mode == XCB_NOTIFY_MODE_UNGRAB)
            break;
        // Events may be late: only a focus that really is elsewhere now ends typing.
        xcb_get_input_focus_reply_t* now =
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
        bool elsewhere = now && now->focus != window;
        std::free(now);
        if (elsewhere) callback->platformOnFocusLost();
        break;
    }
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
    {
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        VstKeyCode code = translateKey(key);
        bool pressed = (event->response_type & 0x7F) == XCB_KEY_PRESS;
        bool used = pressed ? callback->platformOnKeyDown(code) : callback->platformOnKeyUp(code);
        // Keys the editor does not use while it holds the focus (host shortcuts while
        // typing) go on to the host's window.
        if (!used && connection) forwardKey(*key);
        break;
    }
    default:
        break;
    }
}

void X11Window::processEvents()
{
    Impl& self = *impl;
    if (!self.connection) return;
    struct DispatchScope
    {
        int& depth;
        explicit DispatchScope(int& depth) : depth(depth) { ++depth; }
        ~DispatchScope() { --depth; }
    } scope(self.dispatching);
    for (;;)
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(self.connection))
        {
            self.handleEvent(event);
            std::free(event);
            if (!self.connection) return;
        }
        if (xcb_connection_has_error(self.connection))
        {
            // The server is gone: stop listening, or the host would call us for ever.
            if (self.eventHandlerRegistered) self.runLoop->unregisterEventHandler(self.handler);
            self.eventHandlerRegistered = false;
            return;
        }
        self.paint();
        xcb_flush(self.connection);
        // Drawing may have read events from the socket into xcb's queue; the descriptor
        // would not wake the run loop for them.
        xcb_generic_event_t* queued = xcb_poll_for_queued_event(self.connection);
        if (!queued) return;
        self.handleEvent(queued);
        std::free(queued);
        if (!self.connection) return;
    }
}

bool isPlatformWindowTypeSupported(FIDString type)
{
    return type && std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0;
}

std::unique_ptr<IPlatformWindow> createPlatformWindow(void* parent, FIDString type,
                                                      IPlugFrame* plugFrame,
                                                      IPlatformFrameCallback* callback,
                                                      const CPoint& editorSize, double scale)
{
    if (!isPlatformWindowTypeSupported(type)) return nullptr;
    auto window = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(parent));
    return X11Window::create(window, plugFrame, callback, editorSize, scale);
}

} // namespace VSTGUI
