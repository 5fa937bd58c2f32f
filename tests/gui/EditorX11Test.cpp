// SPDX-License-Identifier: GPL-3.0-or-later
// The editor in a real X server (an Xvfb the test starts), embedded in a test host window and
// driven by a test run loop, as a Linux host drives it.
#include "GuiTestSupport.h"

#include "views/COptionMenu.h"
#include "views/CTextEdit.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace GuiTest;
using namespace VSTGUI;

namespace {

/** An Xvfb of our own on a free display, for the lifetime of the test program. */
class XServer
{
public:
    static XServer& instance()
    {
        static XServer server;
        return server;
    }
    bool available() const { return !display.empty(); }
    const std::string& name() const { return display; }

    ~XServer()
    {
        if (keepAlive) xcb_disconnect(keepAlive);
        if (pid > 0)
        {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }

private:
    XServer()
    {
        for (int number = 91; number < 140 && display.empty(); ++number)
        {
            std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
            struct stat info;
            if (stat(socket.c_str(), &info) == 0 || stat(lock.c_str(), &info) == 0) continue;
            std::string displayName = ":" + std::to_string(number);
            pid = fork();
            if (pid == 0)
            {
                prctl(PR_SET_PDEATHSIG, SIGTERM); // no server left behind by a crashed test
                execlp("Xvfb", "Xvfb", displayName.c_str(), "-screen", "0", "640x480x24",
                       "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
                _exit(127);
            }
            if (pid < 0) break;
            for (int wait = 0; wait < 100; ++wait)
            {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                // Another program may have taken the same display at the same moment: the
                // server is ours only when its lock names our child.
                if (stat(socket.c_str(), &info) == 0 && lockOwner(lock) == pid)
                {
                    display = displayName;
                    break;
                }
                if (waitpid(pid, nullptr, WNOHANG) == pid)
                {
                    pid = -1;
                    break;
                }
            }
            if (display.empty() && pid > 0)
            {
                kill(pid, SIGTERM);
                waitpid(pid, nullptr, 0);
                pid = -1;
            }
        }
        if (display.empty() && std::getenv("DISPLAY")) display = std::getenv("DISPLAY");
        if (!display.empty())
        {
            setenv("DISPLAY", display.c_str(), 1);
            // One connection for the whole program, so that the server never resets between
            // tests (it does when its last client leaves).
            keepAlive = xcb_connect(display.c_str(), nullptr);
        }
    }

    static pid_t lockOwner(const std::string& lock)
    {
        std::ifstream file(lock);
        long owner = -1;
        file >> owner;
        return file ? pid_t(owner) : pid_t(-1);
    }

    pid_t pid = -1;
    std::string display;
    xcb_connection_t* keepAlive = nullptr;
};

/** The host's run loop and plug frame: handlers on descriptors, timers, resize requests. */
class TestHostFrame : public FObject, public IPlugFrame, public Linux::IRunLoop
{
public:
    struct Handler
    {
        Linux::IEventHandler* handler;
        int fd;
    };
    struct Timer
    {
        Linux::ITimerHandler* handler;
        uint64 interval;
        std::chrono::steady_clock::time_point next;
    };

    bool offerRunLoop = true;
    std::vector<Handler> handlers;
    std::vector<Timer> timers;
    int timerRegistrations = 0;
    ViewRect lastResize;
    int resizes = 0;

    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) SMTG_OVERRIDE
    {
        lastResize = *newSize;
        ++resizes;
        view->onSize(newSize);
        return kResultOk;
    }
    tresult PLUGIN_API registerEventHandler(Linux::IEventHandler* handler, int fd) SMTG_OVERRIDE
    {
        handler->addRef();
        handlers.push_back({handler, fd});
        return kResultOk;
    }
    tresult PLUGIN_API unregisterEventHandler(Linux::IEventHandler* handler) SMTG_OVERRIDE
    {
        for (auto it = handlers.begin(); it != handlers.end(); ++it)
            if (it->handler == handler)
            {
                handlers.erase(it);
                handler->release();
                return kResultOk;
            }
        return kResultFalse;
    }
    tresult PLUGIN_API registerTimer(Linux::ITimerHandler* handler, uint64 ms) SMTG_OVERRIDE
    {
        handler->addRef();
        ++timerRegistrations;
        timers.push_back(
            {handler, ms, std::chrono::steady_clock::now() + std::chrono::milliseconds(ms)});
        return kResultOk;
    }
    tresult PLUGIN_API unregisterTimer(Linux::ITimerHandler* handler) SMTG_OVERRIDE
    {
        for (auto it = timers.begin(); it != timers.end(); ++it)
            if (it->handler == handler)
            {
                timers.erase(it);
                handler->release();
                return kResultOk;
            }
        return kResultFalse;
    }

    /** Runs the loop until `done` holds, for up to `ms` milliseconds: generous, since a loaded
        machine can take seconds to deliver what a quiet one delivers at once. */
    template <typename Done>
    bool runUntil(Done done, int ms = 10000)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done())
        {
            if (std::chrono::steady_clock::now() > end) return false;
            runOnce(10);
        }
        return true;
    }
    void runOnce(int timeoutMs)
    {
        std::vector<pollfd> fds;
        for (const Handler& h : handlers)
            fds.push_back({h.fd, POLLIN, 0});
        poll(fds.data(), fds.size(), timeoutMs);
        std::vector<Handler> ready;
        for (std::size_t i = 0; i < fds.size(); ++i)
            if (fds[i].revents) ready.push_back(handlers[i]);
        for (const Handler& h : ready)
            for (const Handler& still : handlers)
                if (still.handler == h.handler) h.handler->onFDIsSet(h.fd);
        auto now = std::chrono::steady_clock::now();
        std::vector<Linux::ITimerHandler*> due;
        for (Timer& t : timers)
            if (now >= t.next)
            {
                t.next = now + std::chrono::milliseconds(t.interval);
                due.push_back(t.handler);
            }
        for (Linux::ITimerHandler* handler : due)
            handler->onTimer();
    }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE
    {
        QUERY_INTERFACE(iid, obj, IPlugFrame::iid, IPlugFrame)
        if (offerRunLoop) QUERY_INTERFACE(iid, obj, Linux::IRunLoop::iid, Linux::IRunLoop)
        return FObject::queryInterface(iid, obj);
    }
    REFCOUNT_METHODS(FObject)
};

/** The host's own X connection and a top-level window the editor embeds into. */
class TestHostWindow
{
public:
    TestHostWindow()
    {
        connection = xcb_connect(nullptr, nullptr);
        screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        uint32_t values[] = {screen->black_pixel};
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 500, 400, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL,
                          values);
        xcb_map_window(connection, window);
        // A round trip, so the window exists before the editor's own connection looks for it.
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
    ~TestHostWindow()
    {
        xcb_destroy_window(connection, window);
        xcb_disconnect(connection);
    }
    void* parent() const { return reinterpret_cast<void*>(uintptr_t(window)); }

    std::vector<xcb_window_t> children() const
    {
        std::vector<xcb_window_t> result;
        xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
        if (!tree) return result;
        xcb_window_t* list = xcb_query_tree_children(tree);
        result.assign(list, list + xcb_query_tree_children_length(tree));
        std::free(tree);
        return result;
    }
    xcb_window_t editorWindow() const
    {
        auto list = children();
        return list.empty() ? 0 : list.front();
    }
    uint32_t pixel(xcb_window_t from, int x, int y) const
    {
        xcb_get_image_reply_t* image =
            xcb_get_image_reply(connection,
                                xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, from,
                                              int16_t(x), int16_t(y), 1, 1, ~0u),
                                nullptr);
        if (!image) return 0xDEADBEEF;
        uint32_t value = 0;
        if (xcb_get_image_data_length(image) >= 4)
            value = *reinterpret_cast<uint32_t*>(xcb_get_image_data(image)) & 0xFFFFFF;
        std::free(image);
        return value;
    }
    std::vector<uint32_t> property(xcb_window_t from, const char* name) const
    {
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 1, uint16_t(strlen(name)), name), nullptr);
        std::vector<uint32_t> result;
        if (!atom) return result;
        xcb_get_property_reply_t* reply = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, from, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 16),
            nullptr);
        std::free(atom);
        if (!reply) return result;
        auto* data = static_cast<uint32_t*>(xcb_get_property_value(reply));
        result.assign(data, data + xcb_get_property_value_length(reply) / 4);
        std::free(reply);
        return result;
    }
    void takeFocus()
    {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
    xcb_window_t focus() const
    {
        xcb_get_input_focus_reply_t* reply =
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
        xcb_window_t result = reply ? reply->focus : 0;
        std::free(reply);
        return result;
    }
    CPoint size(xcb_window_t of) const
    {
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(connection, xcb_get_geometry(connection, of), nullptr);
        CPoint result = geometry ? CPoint(geometry->width, geometry->height) : CPoint();
        std::free(geometry);
        return result;
    }

    void button(xcb_window_t to, uint8_t type, uint8_t button, int x, int y, uint16_t state = 0)
    {
        xcb_button_press_event_t event{};
        event.response_type = type;
        event.detail = button;
        event.event = to;
        event.root = screen->root;
        event.event_x = int16_t(x);
        event.event_y = int16_t(y);
        event.state = state;
        event.time = ++time;
        event.same_screen = 1;
        send(to, &event);
    }
    void motion(xcb_window_t to, int x, int y, uint16_t state)
    {
        xcb_motion_notify_event_t event{};
        event.response_type = XCB_MOTION_NOTIFY;
        event.event = to;
        event.root = screen->root;
        event.event_x = int16_t(x);
        event.event_y = int16_t(y);
        event.state = state;
        event.time = ++time;
        event.same_screen = 1;
        send(to, &event);
    }
    void key(xcb_window_t to, uint32_t keysym)
    {
        xcb_keycode_t code = keycodeOf(keysym);
        ASSERT_NE(code, 0) << "no key for " << keysym;
        for (uint8_t type : {uint8_t(XCB_KEY_PRESS), uint8_t(XCB_KEY_RELEASE)})
        {
            xcb_key_press_event_t event{};
            event.response_type = type;
            event.detail = code;
            event.event = to;
            event.root = screen->root;
            event.time = ++time;
            event.same_screen = 1;
            send(to, &event);
        }
    }

private:
    template <typename Event>
    void send(xcb_window_t to, const Event* event)
    {
        char buffer[32] = {};
        memcpy(buffer, event, sizeof(Event) < 32 ? sizeof(Event) : 32);
        xcb_send_event(connection, 0, to, XCB_EVENT_MASK_NO_EVENT, buffer);
        xcb_flush(connection);
    }
    xcb_keycode_t keycodeOf(uint32_t keysym) const
    {
        const xcb_setup_t* setup = xcb_get_setup(connection);
        xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
            connection,
            xcb_get_keyboard_mapping(connection, setup->min_keycode,
                                     uint8_t(setup->max_keycode - setup->min_keycode + 1)),
            nullptr);
        if (!map) return 0;
        xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
        xcb_keycode_t found = 0;
        for (int code = setup->min_keycode; code <= setup->max_keycode && !found; ++code)
            if (syms[(code - setup->min_keycode) * map->keysyms_per_keycode] == keysym)
                found = xcb_keycode_t(code);
        std::free(map);
        return found;
    }

    xcb_connection_t* connection;
    xcb_screen_t* screen;
    xcb_window_t window;
    uint32_t time = 1000;
};

class EditorX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!XServer::instance().available()) GTEST_SKIP() << "no X server could be started";
        host = std::make_unique<TestHostWindow>();
        frame = new TestHostFrame;
        rig = std::make_unique<EditorRig>();
        rig->editor->setFrame(frame);
    }
    void TearDown() override
    {
        rig.reset();
        if (frame) frame->release();
        host.reset();
    }
    bool attach()
    {
        return rig->editor->attached(host->parent(), kPlatformTypeX11EmbedWindowID) == kResultOk;
    }

    std::unique_ptr<TestHostWindow> host;
    TestHostFrame* frame = nullptr;
    std::unique_ptr<EditorRig> rig;
};

} // namespace

TEST_F(EditorX11, AttachEmbedsDrawsAndRemovesCleanly)
{
    ASSERT_TRUE(attach());
    xcb_window_t editor = host->editorWindow();
    ASSERT_NE(editor, 0u);
    EXPECT_EQ(host->property(editor, "_XEMBED_INFO"), (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(host->size(editor), CPoint(200, 150));
    EXPECT_EQ(frame->handlers.size(), 1u);
    EXPECT_TRUE(frame->runUntil([&] { return host->pixel(editor, 190, 140) == 0x203040; }))
        << "background drawn";
    EXPECT_EQ(host->pixel(editor, 15, 15), uint32_t(2 * kFrameStep) << 16) << "knob at 0.25";
    EXPECT_EQ(rig->controller->opened, 1);

    // A host-side change reaches the window through the run loop.
    rig->controller->setParamNormalized(kKnobId, 1.0);
    EXPECT_TRUE(frame->runUntil(
        [&] { return host->pixel(editor, 15, 15) == uint32_t(10 * kFrameStep) << 16; }));

    frame->runOnce(50);
    EXPECT_TRUE(frame->timers.empty()) << "an idle editor runs no timer";
    EXPECT_EQ(frame->timerRegistrations, 0);

    // Closing with a menu open and a text field being typed into ends both.
    rig->frame().platformOnMouseDown(CPoint(55, 20), kLButton);
    rig->frame().platformOnMouseDown(CPoint(150, 18), kLButton);
    EXPECT_TRUE(rig->find<COptionMenu>()->isPopupOpen());
    EXPECT_EQ(rig->editor->removed(), kResultOk);
    EXPECT_FALSE(rig->find<COptionMenu>()->isPopupOpen());
    EXPECT_TRUE(host->children().empty());
    EXPECT_TRUE(frame->handlers.empty());
    EXPECT_TRUE(frame->timers.empty());
    EXPECT_EQ(rig->controller->closed, 1);

    ASSERT_TRUE(attach()) << "hosts close and reopen";
    EXPECT_EQ(host->children().size(), 1u);
    EXPECT_EQ(rig->editor->removed(), kResultOk);
}

TEST_F(EditorX11, MouseAndKeyEventsEditParameters)
{
    ASSERT_TRUE(attach());
    xcb_window_t editor = host->editorWindow();
    frame->runUntil([&] { return host->pixel(editor, 190, 140) == 0x203040; });

    // Drag the knob from its top to its right (circular mode).
    host->button(editor, XCB_BUTTON_PRESS, 1, 15, 11);
    host->motion(editor, 25, 15, XCB_BUTTON_MASK_1);
    host->button(editor, XCB_BUTTON_RELEASE, 1, 25, 15, XCB_BUTTON_MASK_1);
    EXPECT_TRUE(frame->runUntil([&] { return rig->handler->count('e') == 1; }));
    EXPECT_NEAR(rig->controller->getParamNormalized(kKnobId), 0.8333, 1e-3);
    EXPECT_TRUE(rig->handler->wellBracketed());
    EXPECT_NE(host->focus(), editor) << "an ordinary click takes no focus";

    // The wheel over the fader.
    host->button(editor, XCB_BUTTON_PRESS, 4, 113, 30);
    host->button(editor, XCB_BUTTON_RELEASE, 4, 113, 30);
    EXPECT_TRUE(frame->runUntil([&] { return rig->handler->count('e') == 2; }));
    EXPECT_NEAR(rig->controller->getParamNormalized(kFaderId), 0.6, 1e-6);

    // Type into the text field.
    host->button(editor, XCB_BUTTON_PRESS, 1, 55, 20);
    host->button(editor, XCB_BUTTON_RELEASE, 1, 55, 20, XCB_BUTTON_MASK_1);
    EXPECT_TRUE(frame->runUntil([&] { return host->focus() == editor; })) << "typing takes focus";
    EXPECT_FALSE(frame->timers.empty()) << "the caret blinks";
    for (uint32_t keysym : {0x30u, 0x2Eu, 0x37u, 0xFF0Du}) // 0 . 7 Return
        host->key(editor, keysym);
    EXPECT_TRUE(frame->runUntil([&] { return rig->handler->count('e') == 3; }));
    EXPECT_NEAR(rig->controller->getParamNormalized(kKnobId), 0.7, 1e-6);
    EXPECT_TRUE(rig->handler->wellBracketed());
    EXPECT_TRUE(frame->timers.empty()) << "no timer after typing";

    // The host taking the focus back (a click in its window) ends typing without an edit.
    host->button(editor, XCB_BUTTON_PRESS, 1, 55, 20);
    host->button(editor, XCB_BUTTON_RELEASE, 1, 55, 20, XCB_BUTTON_MASK_1);
    EXPECT_TRUE(frame->runUntil([&] { return rig->find<CTextEdit>()->isTyping(); }));
    frame->runUntil([&] { return host->focus() == editor; });
    host->takeFocus();
    EXPECT_TRUE(frame->runUntil([&] { return !rig->find<CTextEdit>()->isTyping(); }));
    EXPECT_TRUE(frame->timers.empty());
    EXPECT_EQ(rig->handler->count('b'), 3);
    EXPECT_EQ(rig->editor->removed(), kResultOk);
}

TEST_F(EditorX11, HostMayCloseTheEditorFromInsideAnEdit)
{
    ASSERT_TRUE(attach());
    xcb_window_t editor = host->editorWindow();
    rig->handler->afterEnd = [this] { rig->editor->removed(); };
    host->button(editor, XCB_BUTTON_PRESS, 4, 113, 30); // wheel: one whole gesture
    host->button(editor, XCB_BUTTON_PRESS, 4, 113, 30); // arrives after the close
    EXPECT_TRUE(frame->runUntil([&] { return host->children().empty(); }));
    EXPECT_TRUE(frame->handlers.empty());
    EXPECT_EQ(rig->handler->count('e'), 1);
    rig->handler->afterEnd = nullptr;
    EXPECT_TRUE(attach()) << "and open it again";
    EXPECT_EQ(rig->editor->removed(), kResultOk);
}

TEST_F(EditorX11, ContentScaleResizesAndRedraws)
{
    ASSERT_TRUE(attach());
    IPlugViewContentScaleSupport* scaling = nullptr;
    rig->editor->queryInterface(IPlugViewContentScaleSupport::iid,
                                reinterpret_cast<void**>(&scaling));
    ASSERT_NE(scaling, nullptr);
    EXPECT_EQ(scaling->setContentScaleFactor(2.f), kResultOk);
    scaling->release();
    EXPECT_EQ(frame->resizes, 1);
    EXPECT_EQ(frame->lastResize.getWidth(), 400);
    EXPECT_EQ(frame->lastResize.getHeight(), 300);
    xcb_window_t editor = host->editorWindow();
    EXPECT_TRUE(frame->runUntil([&] { return host->size(editor) == CPoint(400, 300); }));
    EXPECT_TRUE(frame->runUntil([&] { return host->pixel(editor, 390, 290) == 0x203040; }));
    EXPECT_EQ(host->pixel(editor, 30, 30), uint32_t(2 * kFrameStep) << 16);
    // Pointer positions are in device pixels: 226, 60 is the fader at 113, 30.
    host->button(editor, XCB_BUTTON_PRESS, 4, 226, 60);
    EXPECT_TRUE(frame->runUntil([&] { return rig->handler->count('e') == 1; }));
    EXPECT_NEAR(rig->controller->getParamNormalized(kFaderId), 0.6, 1e-6);
    EXPECT_EQ(rig->editor->removed(), kResultOk);
}

TEST_F(EditorX11, AttachFailsCleanlyWithoutRunLoopOrParent)
{
    frame->offerRunLoop = false;
    EXPECT_EQ(rig->editor->attached(host->parent(), kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_TRUE(host->children().empty());
    EXPECT_EQ(rig->editor->attached(host->parent(), kPlatformTypeHWND), kResultFalse);
    frame->offerRunLoop = true;
    EXPECT_EQ(rig->editor->attached(reinterpret_cast<void*>(uintptr_t(0x7ffffff)),
                                    kPlatformTypeX11EmbedWindowID),
              kResultFalse)
        << "a window that does not exist";
    EXPECT_TRUE(frame->handlers.empty());
}

TEST_F(EditorX11, ManyOpenAndCloseCyclesLeaveNothingBehind)
{
    for (int i = 0; i < 200; ++i)
    {
        ASSERT_TRUE(attach()) << i;
        frame->runOnce(0);
        ASSERT_EQ(rig->editor->removed(), kResultOk);
    }
    for (int i = 0; i < 200; ++i)
    {
        EditorRig other;
        other.editor->setFrame(frame);
        ASSERT_EQ(other.editor->attached(host->parent(), kPlatformTypeX11EmbedWindowID), kResultOk)
            << i;
        frame->runOnce(0);
        ASSERT_EQ(other.editor->removed(), kResultOk);
    }
    EXPECT_TRUE(host->children().empty());
    EXPECT_TRUE(frame->handlers.empty());
    EXPECT_TRUE(frame->timers.empty());
}

TEST(EditorWithoutX, AttachFailsCleanlyAndRenderingStillWorks)
{
    std::string saved = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    {
        EditorRig rig;
        auto* frame = new TestHostFrame;
        rig.editor->setFrame(frame);
        EXPECT_EQ(rig.editor->attached(reinterpret_cast<void*>(uintptr_t(0x1234)),
                                       kPlatformTypeX11EmbedWindowID),
                  kResultFalse);
        EXPECT_TRUE(frame->handlers.empty());
        EXPECT_EQ(rig.editor->removed(), kResultFalse);
        EXPECT_EQ(renderToImage(rig.frame()).getPixel(190, 140) & 0xFFFFFF, 0x203040u);
        rig.editor->setFrame(nullptr);
        frame->release();
    }
    if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
}
