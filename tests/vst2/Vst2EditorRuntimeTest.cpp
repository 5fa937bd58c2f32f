// SPDX-License-Identifier: GPL-3.0-or-later
// The VST 2 editor frame with the real editor runtime in an X server: a host window, the view
// embedded in it, and nothing but the host's effEditIdle calls driving events, drawing and
// timers; then the instrument's own editor through the built module's opcodes. On the private X
// server of tests/support.
#include "BuiltVst2Module.h"
#include "GuiTestSupport.h"
#include "Vst2EditorHost.h"
#include "X11HostWindow.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
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

/** Distinct colours in a grid of samples over a window: a drawn editor has many. */
std::size_t colours(const TestSupport::X11HostWindow& window, xcb_window_t from, int width,
                    int height)
{
    std::vector<uint32_t> seen;
    for (int y = 5; y < height; y += 23)
        for (int x = 5; x < width; x += 31)
        {
            const uint32_t p = window.pixel(from, x, y);
            if (std::find(seen.begin(), seen.end(), p) == seen.end()) seen.push_back(p);
        }
    return seen.size();
}

/** Calls idle every few milliseconds, as hosts do, until the condition holds (or 10 s pass: a
 *  loaded machine is slow). */
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
    TestSupport::X11HostWindow window;
    std::string error;
    ASSERT_TRUE(window.open(400, 300, error)) << error;

    auto* controller = new ViewingController;
    controller->initialize(nullptr);
    AEffect effect{};
    {
        Vst2EditorHost host(Vst2Test::quietHost, &effect);
        ASSERT_TRUE(host.available(controller));
        ERect* rect = nullptr;
        ASSERT_TRUE(host.getRect(controller, &rect));
        EXPECT_EQ(rect->right, 200);
        EXPECT_EQ(rect->bottom, 150);

        ASSERT_TRUE(host.open(controller, window.parent()));
        ASSERT_TRUE(window.waitForChildren(1));
        const xcb_window_t editor = window.embedded();
        EXPECT_TRUE(idleUntil(host, [&] { return window.pixel(editor, 190, 140) == 0x203040; }))
            << "background drawn";

        // A host-side change reaches the window through idle alone.
        controller->setParamNormalized(kKnobId, 1.0);
        EXPECT_TRUE(idleUntil(
            host, [&] { return window.pixel(editor, 15, 15) == uint32_t(10 * kFrameStep) << 16; }));

        host.close();
        EXPECT_TRUE(window.waitForChildren(0));
        EXPECT_EQ(controller->closed, 1);
        ASSERT_TRUE(host.open(controller, window.parent())) << "hosts close and reopen";
        EXPECT_TRUE(window.waitForChildren(1));
    } // destroyed while open: the view is removed
    EXPECT_TRUE(window.waitForChildren(0));
    EXPECT_EQ(controller->closed, 2);
    controller->terminate();
    controller->release();
}

TEST(Vst2EditorRuntime, InstrumentEditorOpensThroughTheModule)
{
    TestSupport::X11HostWindow window;
    std::string error;
    ASSERT_TRUE(window.open(400, 300, error)) << error;
    Vst2Test::Vst2Module& module = Vst2Test::Vst2Module::shared();
    ASSERT_TRUE(module.error.empty()) << module.error;
    Vst2Test::hostLog().version = 2400;
    std::unique_ptr<Vst2Test::Vst2Instance> started = module.startedEffect(48000.0f, 256);
    ASSERT_NE(started, nullptr);
    Vst2Test::Vst2Instance& instance = *started;
    ASSERT_TRUE(instance.effect->flags & effFlagsHasEditor);

    void* parent = window.parent();
    for (int cycle = 0; cycle < 3; ++cycle)
    {
        SCOPED_TRACE(cycle);
        ERect* rect = nullptr;
        ASSERT_EQ(instance.dispatch(effEditGetRect, 0, 0, &rect), 1);
        ASSERT_EQ(instance.dispatch(effEditOpen, 0, 0, parent), 1);
        ASSERT_TRUE(window.waitForChildren(1));
        const xcb_window_t editor = window.embedded();
        const auto drawn = [&] { return colours(window, editor, rect->right, rect->bottom) > 8; };
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
        EXPECT_TRUE(window.waitForChildren(0));
    }
}

} // namespace
