// SPDX-License-Identifier: GPL-3.0-or-later
// The threads as a host lays them out: the processor renders on an audio thread while the UI
// thread opens, operates and closes the editor and sets parameters on the controller. Built with
// ThreadSanitizer (BRASK_SANITIZE_THREAD) this shows there is no data race between them.
#include "BraskParameterIds.h"
#include "BuiltBundle.h"
#include "EventList.h"
#include "ParameterChanges.h"
#include "ProcessBuffers.h"
#include "TestPlugFrame.h"
#include "X11HostWindow.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

constexpr int32 kBlock = 256;

TEST(EditorThreadingTest, EditorOnTheUiThreadWhileTheProcessorRenders)
{
    TestSupport::X11HostWindow window;
    TestSupport::BuiltBundle bundle;
    std::string error;
    ASSERT_TRUE(bundle.start(48000.0, kBlock, error)) << error;
    ASSERT_TRUE(window.open(778, 465, error)) << error;

    std::atomic<bool> running{true};
    std::atomic<int> blocks{0};
    std::atomic<bool> finite{true};
    std::thread audio([&] {
        Host::ProcessBuffers buffers{kBlock};
        Hosting::EventList events;
        Hosting::ParameterChanges changes;
        for (int n = 0; running.load(std::memory_order_relaxed); ++n)
        {
            if (n % 40 == 0) events.addNoteOn(0, int16(48 + n / 40 % 24), 0.8f);
            if (n % 40 == 20) events.addNoteOff(0, int16(48 + n / 40 % 24));
            if (n % 10 == 0) changes.add(kVcfFreq, 0, 0.3 + 0.4 * (n % 7) / 7.0);
            bundle.instance->process(buffers.prepare(kBlock, &changes, &events));
            events.clear();
            changes.clear();
            if (!std::isfinite(buffers.channel(0)[kBlock - 1])) finite = false;
            blocks.fetch_add(1, std::memory_order_relaxed);
        }
    });

    IEditController* controller = bundle.instance->controller();
    TestSupport::TestPlugFrame frame;
    for (int cycle = 0; cycle < 20; ++cycle)
    {
        IPtr<IPlugView> view = owned(controller->createView(ViewType::kEditor));
        ASSERT_TRUE(view);
        view->setFrame(&frame);
        ASSERT_EQ(view->attached(window.parent(), kPlatformTypeX11EmbedWindowID), kResultOk);
        frame.pump(20);
        // A host-side change, a drag on the LFO knob and a click on the name plate.
        controller->setParamNormalized(kLfoRate, (cycle % 10) / 10.0);
        window.press(360, 217);
        window.move(360, 200);
        window.release(360, 200);
        window.click(600, 40);
        frame.pump(30);
        view->removed();
        view->setFrame(nullptr);
    }
    running = false;
    audio.join();
    bundle.instance->stop();
    EXPECT_GT(blocks.load(), 0);
    EXPECT_TRUE(finite.load());
}

} // namespace
