// SPDX-License-Identifier: GPL-3.0-or-later
// The LV2 UI of the built bundle in a host-like harness on the test program's private X server:
// the module loaded from the bundle, lv2ui_descriptor's UI embedded in a host window with
// ui:parent, ui:resize and ui:touch, driven by ui:idleInterface. An edit in the editor leaves as
// a port write; a port event from the host moves the editor's control.
#include "X11HostWindow.h"

#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

using Steinberg::Vst::Tarvik::TestSupport::Picture;
using Steinberg::Vst::Tarvik::TestSupport::X11HostWindow;

namespace {

constexpr uint32_t kVcfFreqPort = 3 + 6;

struct HostSide
{
    struct Write
    {
        uint32_t port;
        float value;
    };
    std::vector<Write> writes;
    std::vector<std::pair<uint32_t, bool>> touches;
    int width = 0, height = 0;
    std::map<std::string, LV2_URID> urids;

    static void write(LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t format,
                      const void* buffer)
    {
        auto* self = static_cast<HostSide*>(controller);
        float value = 0.0f;
        if (format == 0 && size == sizeof value) std::memcpy(&value, buffer, sizeof value);
        self->writes.push_back({port, value});
    }
    static void touch(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed)
    {
        static_cast<HostSide*>(handle)->touches.push_back({port, grabbed});
    }
    static int resize(LV2UI_Feature_Handle handle, int width, int height)
    {
        static_cast<HostSide*>(handle)->width = width;
        static_cast<HostSide*>(handle)->height = height;
        return 0;
    }
    static LV2_URID map(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto& ids = static_cast<HostSide*>(handle)->urids;
        return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
    }
};

class Lv2Ui : public ::testing::Test
{
protected:
    void SetUp() override
    {
        module = dlopen(BRASK_LV2_BUNDLE "/Tarvik-Brask.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(module, nullptr) << dlerror();
        using Entry = const LV2UI_Descriptor* (*)(uint32_t);
        auto entry = reinterpret_cast<Entry>(dlsym(module, "lv2ui_descriptor"));
        ASSERT_NE(entry, nullptr);
        descriptor = entry(0);
        ASSERT_NE(descriptor, nullptr);
        EXPECT_STREQ(descriptor->URI, "https://tarvik.audio/plugins/brask#ui");
        EXPECT_EQ(entry(1), nullptr);
        std::string error;
        ASSERT_TRUE(window.open(800, 500, error)) << error;
    }

    void TearDown() override
    {
        if (ui) descriptor->cleanup(ui);
        if (module) dlclose(module);
    }

    void open()
    {
        void* parent = reinterpret_cast<void*>(static_cast<uintptr_t>(window.id()));
        // Features live as long as the UI.
        const LV2_Feature parentFeature{LV2_UI__parent, parent};
        const LV2_Feature mapFeature{LV2_URID__map, &map};
        const LV2_Feature resizeFeature{LV2_UI__resize, &resize};
        const LV2_Feature touchFeature{LV2_UI__touch, &touch};
        const LV2_Feature* features[] = {&parentFeature, &mapFeature, &resizeFeature, &touchFeature,
                                         nullptr};
        ui = descriptor->instantiate(descriptor, "https://tarvik.audio/plugins/brask",
                                     BRASK_LV2_BUNDLE, HostSide::write, &host, &widget, features);
        ASSERT_NE(ui, nullptr);
        idleInterface = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
        ASSERT_NE(idleInterface, nullptr);
    }

    void idle(int milliseconds)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end)
        {
            EXPECT_EQ(idleInterface->idle(ui), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void portEvent(uint32_t port, float value)
    {
        descriptor->port_event(ui, port, sizeof value, 0, &value);
    }

    /** The filter frequency fader's cap at 0.5 (447, 147) dragged 40 pixels up: the last
        value written to its port, or -1 when the gesture wrote none. */
    float dragFilterFader()
    {
        host.writes.clear();
        host.touches.clear();
        window.press(447, 147);
        for (int y = 143; y >= 107; y -= 4)
        {
            window.move(447, y);
            idle(20);
        }
        window.release(447, 107);
        idle(100);
        float last = -1.0f;
        for (const HostSide::Write& w : host.writes)
        {
            EXPECT_EQ(w.port, kVcfFreqPort);
            last = w.value;
        }
        const std::vector<std::pair<uint32_t, bool>> gesture = {{kVcfFreqPort, true},
                                                                {kVcfFreqPort, false}};
        EXPECT_EQ(host.touches, gesture);
        return last;
    }

    void* module = nullptr;
    const LV2UI_Descriptor* descriptor = nullptr;
    const LV2UI_Idle_Interface* idleInterface = nullptr;
    X11HostWindow window;
    HostSide host;
    LV2UI_Handle ui = nullptr;
    LV2UI_Widget widget = nullptr;
    LV2_URID_Map map{&host, HostSide::map};
    LV2UI_Resize resize{&host, HostSide::resize};
    LV2UI_Touch touch{&host, HostSide::touch};
};

TEST_F(Lv2Ui, EmbedsTheEditorInTheParentAtItsSize)
{
    open();
    const std::vector<xcb_window_t> embedded = window.children();
    ASSERT_EQ(embedded.size(), 1u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(widget), embedded.front());
    EXPECT_EQ(host.width, 778);
    EXPECT_EQ(host.height, 465);
    idle(300);
    const Picture shot = window.screenshot();
    std::map<uint32_t, int> colours;
    for (int y = 0; y < 465; y += 5)
        for (int x = 0; x < 778; x += 5)
            ++colours[shot.at(x, y)];
    EXPECT_GT(colours.size(), 20u) << "the editor drew its panel";
    descriptor->cleanup(ui);
    ui = nullptr;
    EXPECT_TRUE(window.children().empty());
}

TEST_F(Lv2Ui, EditsGoToThePortAndPortEventsMoveTheControl)
{
    open();
    // The host tells the UI the port's value; the fader's cap moves there.
    portEvent(kVcfFreqPort, 0.5f);
    idle(200);
    const float first = dragFilterFader();
    EXPECT_GT(first, 0.6f);
    EXPECT_LE(first, 1.0f);
    // Back to 0.5 from the host: the same gesture gives the same value.
    portEvent(kVcfFreqPort, 0.5f);
    idle(200);
    EXPECT_EQ(dragFilterFader(), first);
    // Values that are no port's, or no number, change nothing.
    portEvent(999, 0.3f);
    portEvent(kVcfFreqPort, NAN);
    descriptor->port_event(ui, kVcfFreqPort, 2, 0, "x");
    idle(50);
}

} // namespace
