// SPDX-License-Identifier: GPL-3.0-or-later
// The VST 2 editor frame with the real editor runtime in an X server: a host window, the view
// embedded in it, and nothing but the host's effEditIdle calls driving events, drawing and
// timers; then the instrument's own editor through the built module's opcodes. Runs where
// DISPLAY names a server (the test scripts run under xvfb-run).
#include "GuiTestSupport.h"
#include "Vst2EditorHost.h"
#include "Vst2TestHost.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

using namespace GuiTest;
using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

/** A controller whose "editor" view is the runtime's editor on the test description. */
class ViewingController : public TestController
{
public:
    IPlugView* PLUGIN_API createView(FIDString name) SMTG_OVERRIDE
    {
        if (std::string(name) != "editor") return nullptr;
        return new VSTGUI::VST3Editor(this, "Editor", "test.UIDESC", resources.table());
    }
    TestResources resources;
};

/** The host's window on its own X connection. */
class HostWindow
{
public:
    HostWindow()
    {
        connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(connection)) return;
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 400, 300, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(connection, window);
        xcb_flush(connection);
    }
    ~HostWindow()
    {
        if (window) xcb_destroy_window(connection, window);
        xcb_disconnect(connection);
    }
    bool open() const { return window != 0; }

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
    /** The editor's requests travel on its own connection: wait until the server has seen
        them (at most a second). */
    bool hasChildren(size_t count) const
    {
        for (int i = 0; i < 100; ++i)
        {
            if (children().size() == count) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    /** Distinct colours in a grid of samples over the window: a drawn editor has many. */
    size_t colours(xcb_window_t from, int width, int height) const
    {
        std::vector<uint32_t> seen;
        for (int y = 5; y < height; y += 23)
            for (int x = 5; x < width; x += 31)
            {
                const uint32_t p = pixel(from, x, y);
                if (std::find(seen.begin(), seen.end(), p) == seen.end()) seen.push_back(p);
            }
        return seen.size();
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

    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
};

VstIntPtr VSTCALLBACK quietHost(AEffect*, int, int, VstIntPtr, void*, float)
{
    return 0;
}

/** Calls idle every few milliseconds, as hosts do, until the condition holds (or 10 s pass: a loaded machine is slow). */
bool idleUntil(Vst2EditorHost& host, const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end)
    {
        host.idle();
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

TEST(Vst2EditorRuntime, HostIdleAloneDrivesTheEmbeddedEditor)
{
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    HostWindow window;
    ASSERT_TRUE(window.open()) << "cannot reach the X server " << std::getenv("DISPLAY");

    auto* controller = new ViewingController;
    controller->initialize(nullptr);
    AEffect effect{};
    {
        Vst2EditorHost host(quietHost, &effect);
        ASSERT_TRUE(host.available(controller));
        ERect* rect = nullptr;
        ASSERT_TRUE(host.getRect(controller, &rect));
        EXPECT_EQ(rect->right, 200);
        EXPECT_EQ(rect->bottom, 150);

        void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window.window));
        ASSERT_TRUE(host.open(controller, parent));
        ASSERT_TRUE(window.hasChildren(1));
        const xcb_window_t editor = window.children().front();
        EXPECT_TRUE(idleUntil(host, [&] { return window.pixel(editor, 190, 140) == 0x203040; }))
            << "background drawn";

        // A host-side change reaches the window through idle alone.
        controller->setParamNormalized(kKnobId, 1.0);
        EXPECT_TRUE(idleUntil(
            host, [&] { return window.pixel(editor, 15, 15) == uint32_t(10 * kFrameStep) << 16; }));

        host.close();
        EXPECT_TRUE(window.hasChildren(0));
        EXPECT_EQ(controller->closed, 1);
        ASSERT_TRUE(host.open(controller, parent)) << "hosts close and reopen";
        EXPECT_TRUE(window.hasChildren(1));
    } // destroyed while open: the view is removed
    EXPECT_TRUE(window.hasChildren(0));
    EXPECT_EQ(controller->closed, 2);
    controller->terminate();
    controller->release();
}

TEST(Vst2EditorRuntime, InstrumentEditorOpensThroughTheModule)
{
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (DISPLAY is not set)";
    HostWindow window;
    ASSERT_TRUE(window.open()) << "cannot reach the X server " << std::getenv("DISPLAY");
    Vst2Test::Vst2Module module;
    ASSERT_TRUE(module.error.empty()) << module.error;
    Vst2Test::hostLog().version = 2400;
    Vst2Test::Vst2Instance instance(module.entry("VSTPluginMain")(Vst2Test::hostCallback));
    ASSERT_NE(instance.effect, nullptr);
    ASSERT_TRUE(instance.effect->flags & effFlagsHasEditor);
    instance.start(48000.0f, 256);

    void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window.window));
    for (int cycle = 0; cycle < 3; ++cycle)
    {
        SCOPED_TRACE(cycle);
        ERect* rect = nullptr;
        ASSERT_EQ(instance.dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_EQ(instance.dispatch(effEditOpen, 0, 0, parent), 1);
        ASSERT_TRUE(window.hasChildren(1));
        const xcb_window_t editor = window.children().front();
        const auto drawn = [&] { return window.colours(editor, rect->right, rect->bottom) > 8; };
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!drawn() && std::chrono::steady_clock::now() < end)
        {
            instance.dispatch(effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_TRUE(drawn()) << "the editor drew its panel on idle";

        // Automation while the editor is open, and audio meanwhile.
        instance.effect->setParameter(instance.effect, 6, 0.1f * static_cast<float>(cycle));
        instance.dispatch(effEditIdle);
        std::vector<float> left(256), right(256);
        instance.render(left.data(), right.data(), 256);

        EXPECT_EQ(instance.dispatch(effEditClose), 1);
        EXPECT_TRUE(window.hasChildren(0));
    }
}

} // namespace
