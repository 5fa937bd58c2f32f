// SPDX-License-Identifier: GPL-3.0-or-later
// The host's frame for an embedded view and the Linux run loop it lends the view.
#include "StandInView.h"

#include "PlugFrame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace Steinberg;
using namespace Steinberg::Vst::Tarvik::Hosting;
using HostingTest::RunLoopHandler;
using HostingTest::StandInView;

namespace {

void waitMilliseconds(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

TEST(PlugFrame, ServesReadyDescriptorsAndDueTimersOnTheCallingThread)
{
    PlugFrame frame;
    StandInView view;
    RunLoopHandler& handler = view.handler;
    view.setFrame(&frame);
    ASSERT_EQ(view.attached(nullptr, kPlatformTypeX11EmbedWindowID), kResultOk);
    Linux::IRunLoop* loop = view.runLoop;
    EXPECT_EQ(loop->registerTimer(&handler, 0), kInvalidArgument);
    EXPECT_EQ(loop->registerEventHandler(&handler, -1), kInvalidArgument);
    EXPECT_EQ(handler.refs, 3u); // held while registered
    EXPECT_EQ(frame.runLoop().eventHandlerCount(), 1u);
    EXPECT_EQ(frame.runLoop().timerCount(), 1u);

    frame.runLoop().run(0);
    EXPECT_EQ(handler.wakeups, 0);    // nothing written yet
    const int ticked = handler.ticks; // 1 where the timer was due already
    waitMilliseconds(5);
    ASSERT_TRUE(handler.poke());
    frame.runLoop().run(0);
    EXPECT_EQ(handler.ticks, ticked + 1);
    EXPECT_EQ(handler.wakeups, 1);

    // A handler that unregisters another while served: the other, due too, is not called.
    RunLoopHandler other;
    EXPECT_EQ(loop->registerTimer(&other, 1), kResultOk);
    handler.loop = loop;
    handler.unregisterOnTick = &other;
    waitMilliseconds(5);
    frame.runLoop().run(0);
    EXPECT_EQ(handler.ticks, ticked + 2);
    EXPECT_EQ(other.ticks, 0);
    EXPECT_EQ(other.refs, 1u);
    handler.unregisterOnTick = nullptr;

    EXPECT_EQ(view.removed(), kResultOk);
    EXPECT_EQ(loop->unregisterTimer(&handler), kInvalidArgument);
    EXPECT_EQ(frame.runLoop().eventHandlerCount() + frame.runLoop().timerCount(), 0u);
    waitMilliseconds(5);
    frame.runLoop().run(0);
    EXPECT_EQ(handler.ticks, ticked + 2);

    // A wait that a descriptor ends: the byte arrives while run() waits.
    EXPECT_EQ(loop->registerEventHandler(&handler, handler.readEnd()), kResultOk);
    std::thread writer([&handler] {
        waitMilliseconds(20);
        handler.poke();
    });
    for (int wait = 0; wait < 100 && handler.wakeups < 2; ++wait)
        frame.runLoop().run(50);
    writer.join();
    EXPECT_EQ(handler.wakeups, 2);

    // A view that is gone cannot unregister its own: the frame lets go of them.
    frame.runLoop().clear();
    EXPECT_EQ(handler.refs, 1u);
}

TEST(PlugFrame, GrantsTheSizeAViewAsksFor)
{
    PlugFrame frame;
    StandInView view;
    ViewRect size(0, 0, 800, 500);
    EXPECT_EQ(frame.resizeView(&view, &size), kResultOk);
    EXPECT_EQ(view.resizedTo.getWidth(), 800);
    EXPECT_EQ(view.resizedTo.getHeight(), 500);
    EXPECT_EQ(frame.resizeView(nullptr, &size), kInvalidArgument);
    EXPECT_EQ(frame.resizeView(&view, nullptr), kInvalidArgument);
}

} // namespace
