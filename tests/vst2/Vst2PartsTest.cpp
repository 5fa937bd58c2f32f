// SPDX-License-Identifier: GPL-3.0-or-later
// The wrapper's parts on their own: the parameter queue between threads, and the editor's frame
// and run loop with a stand-in view.
#include "ParameterQueue.h"
#include "StandInView.h"
#include "Vst2EditorHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;

namespace {

TEST(ParameterQueue, ManyProducersOneConsumerAlwaysEndWithTheNewestValues)
{
    constexpr int kParameters = 8;
    constexpr int kPerProducer = 20000;
    ParameterQueue queue(kParameters);
    std::vector<double> seen(kParameters, -1.0);
    bool ordered = true;
    auto drain = [&] {
        int32 index = 0;
        ParamValue value = 0;
        while (queue.pop(index, value))
        {
            // Each producer's values only grow: a parameter never goes back to an older one.
            ordered = ordered && value >= seen[static_cast<size_t>(index)];
            seen[static_cast<size_t>(index)] = value;
        }
    };
    std::vector<std::thread> producers;
    for (int p = 0; p < 4; ++p)
    {
        producers.emplace_back([&queue, p] {
            for (int i = 0; i < kPerProducer; ++i)
            {
                for (int k = p; k < kParameters; k += 4)
                    EXPECT_TRUE(queue.push(k, i / double(kPerProducer)));
            }
        });
    }
    for (int round = 0; round < 2000; ++round)
        drain();
    for (std::thread& t : producers)
        t.join();
    drain();
    EXPECT_TRUE(ordered);
    for (double value : seen)
        EXPECT_EQ(value, (kPerProducer - 1) / double(kPerProducer));

    int32 index = 0;
    ParamValue value = 0;
    EXPECT_FALSE(queue.pop(index, value)); // everything delivered once
    EXPECT_FALSE(queue.push(-1, 0.5));
    EXPECT_FALSE(queue.push(kParameters, 0.5));
}

// ---------------------------------------------------------------------------------------------
// The editor's frame and run loop, with a stand-in view.

using HostingTest::StandInView;

/** A controller that hands out the stand-in view (or none), counting the views it made. */
class ViewController : public IEditController
{
public:
    explicit ViewController(StandInView* view) : view(view) {}
    IPlugView* PLUGIN_API createView(FIDString name) SMTG_OVERRIDE
    {
        if (!view || std::strcmp(name, "editor") != 0) return nullptr;
        ++created;
        view->addRef();
        return view;
    }
    tresult PLUGIN_API setComponentState(IBStream*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API setState(IBStream*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API getState(IBStream*) SMTG_OVERRIDE { return kResultOk; }
    int32 PLUGIN_API getParameterCount() SMTG_OVERRIDE { return 0; }
    tresult PLUGIN_API getParameterInfo(int32, ParameterInfo&) SMTG_OVERRIDE
    {
        return kResultFalse;
    }
    tresult PLUGIN_API getParamStringByValue(ParamID, ParamValue, String128) SMTG_OVERRIDE
    {
        return kResultFalse;
    }
    tresult PLUGIN_API getParamValueByString(ParamID, TChar*, ParamValue&) SMTG_OVERRIDE
    {
        return kResultFalse;
    }
    ParamValue PLUGIN_API normalizedParamToPlain(ParamID, ParamValue v) SMTG_OVERRIDE { return v; }
    ParamValue PLUGIN_API plainParamToNormalized(ParamID, ParamValue v) SMTG_OVERRIDE { return v; }
    ParamValue PLUGIN_API getParamNormalized(ParamID) SMTG_OVERRIDE { return 0; }
    tresult PLUGIN_API setParamNormalized(ParamID, ParamValue) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API setComponentHandler(IComponentHandler*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API initialize(FUnknown*) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API terminate() SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID, void**) SMTG_OVERRIDE { return kNoInterface; }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

    StandInView* view;
    int created = 0;
};

int sizeRequests = 0;
VstIntPtr VSTCALLBACK sizeHost(AEffect*, int opcode, int index, VstIntPtr value, void*, float)
{
    if (opcode == audioMasterSizeWindow && index == 800 && value == 500) ++sizeRequests;
    return 1;
}

TEST(Vst2EditorHost, EmbedsTheViewAndServesItsRunLoopOnIdle)
{
    StandInView view;
    ViewController controller(&view);
    AEffect effect{};
    {
        Vst2EditorHost host(sizeHost, &effect);
        EXPECT_TRUE(host.available(&controller));
        EXPECT_EQ(view.refs, 0u); // the probe's view is released again

        ERect* rect = nullptr;
        ASSERT_TRUE(host.getRect(&controller, &rect));
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->right - rect->left, 778);
        EXPECT_EQ(rect->bottom - rect->top, 465);

        int window = 0;
        EXPECT_FALSE(host.open(&controller, nullptr)); // no window to embed in
        ASSERT_TRUE(host.open(&controller, &window));
        EXPECT_EQ(controller.created, 2); // the view of getRect went, open made another
        EXPECT_EQ(view.parentWindow, &window);
        EXPECT_EQ(view.platform, kPlatformTypeX11EmbedWindowID);

        // The timer is due after a millisecond; the descriptor once something is written.
        host.idle();
        EXPECT_EQ(view.handler.wakeups, 0);
        const int ticked = view.handler.ticks; // 1 where the timer was due already
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_TRUE(view.handler.poke());
        host.idle();
        EXPECT_EQ(view.handler.ticks, ticked + 1);
        EXPECT_EQ(view.handler.wakeups, 1);

        ViewRect bigger(0, 0, 800, 500);
        EXPECT_EQ(view.frame->resizeView(&view, &bigger), kResultOk);
        EXPECT_EQ(sizeRequests, 1);
        EXPECT_EQ(view.resizedTo.getWidth(), 800);

        host.close();
        EXPECT_EQ(view.removals, 1);
        EXPECT_EQ(view.frame, nullptr);
        EXPECT_EQ(view.refs, 0u);
        EXPECT_EQ(view.handler.refs, 1u); // the run loop let go of the handler
        host.idle();                      // nothing left to serve
        EXPECT_EQ(view.handler.ticks, ticked + 1);

        ASSERT_TRUE(host.open(&controller, &window)); // open again, then closed by destruction
    }
    EXPECT_EQ(view.removals, 2);
    EXPECT_EQ(view.refs, 0u);
}

TEST(Vst2EditorHost, WithoutAViewNothingOpens)
{
    ViewController controller(nullptr);
    AEffect effect{};
    Vst2EditorHost host(sizeHost, &effect);
    int window = 0;
    ERect* rect = reinterpret_cast<ERect*>(&window);
    EXPECT_FALSE(host.available(&controller));
    EXPECT_FALSE(host.getRect(&controller, &rect));
    EXPECT_EQ(rect, nullptr);
    EXPECT_FALSE(host.open(&controller, &window));
    EXPECT_FALSE(host.open(nullptr, &window));
    host.idle();
    host.close();
}

} // namespace
