// SPDX-License-Identifier: GPL-3.0-or-later
// The editor in a real X server (an Xvfb the test starts), embedded in a test host window and
// driven by a test run loop, as a Linux host drives it.
#include "GuiTestSupport.h"
#include "TestPlugFrame.h"
#include "X11HostWindow.h"

#include "views/COptionMenu.h"
#include "views/CTextEdit.h"

#include "pluginterfaces/gui/iplugview.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

using namespace GuiTest;
using namespace VSTGUI;
using Steinberg::Vst::Tarvik::TestSupport::TestPlugFrame;
using Steinberg::Vst::Tarvik::TestSupport::X11HostWindow;

namespace {

class EditorX11 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(host.open(500, 400, error)) << error;
        rig = std::make_unique<EditorRig>();
        rig->editor->setFrame(&frame);
    }
    void TearDown() override { rig.reset(); }
    bool attach()
    {
        return rig->editor->attached(host.parent(), kPlatformTypeX11EmbedWindowID) == kResultOk;
    }
    CPoint sizeOf(xcb_window_t window) const
    {
        int width = 0, height = 0;
        host.size(window, width, height);
        return CPoint(width, height);
    }

    X11HostWindow host;
    TestPlugFrame frame;
    std::unique_ptr<EditorRig> rig;
};

} // namespace

TEST_F(EditorX11, AttachEmbedsDrawsAndRemovesCleanly)
{
    ASSERT_TRUE(attach());
    xcb_window_t editor = host.embedded();
    ASSERT_NE(editor, 0u);
    EXPECT_EQ(host.property(editor, "_XEMBED_INFO"), (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(sizeOf(editor), CPoint(200, 150));
    EXPECT_EQ(frame.eventHandlerCount(), 1u);
    EXPECT_TRUE(frame.runUntil([&] { return host.pixel(editor, 190, 140) == 0x203040; }))
        << "background drawn";
    EXPECT_EQ(host.pixel(editor, 15, 15), uint32_t(2 * kFrameStep) << 16) << "knob at 0.25";
    EXPECT_EQ(rig->controller->opened, 1);

    // A host-side change reaches the window through the run loop.
    rig->controller->setParamNormalized(kKnobId, 1.0);
    EXPECT_TRUE(frame.runUntil(
        [&] { return host.pixel(editor, 15, 15) == uint32_t(10 * kFrameStep) << 16; }));

    frame.runOnce(50);
    EXPECT_EQ(frame.timerCount(), 0u) << "an idle editor runs no timer";
    EXPECT_EQ(frame.timerRegistrations, 0);

    // Closing with a menu open and a text field being typed into ends both.
    rig->frame().platformOnMouseDown(CPoint(55, 20), kLButton);
    rig->frame().platformOnMouseDown(CPoint(150, 18), kLButton);
    EXPECT_TRUE(rig->find<COptionMenu>()->isPopupOpen());
    EXPECT_EQ(rig->editor->removed(), kResultOk);
    EXPECT_FALSE(rig->find<COptionMenu>()->isPopupOpen());
    EXPECT_TRUE(host.children().empty());
    EXPECT_EQ(frame.eventHandlerCount(), 0u);
    EXPECT_EQ(frame.timerCount(), 0u);
    EXPECT_EQ(rig->controller->closed, 1);

    ASSERT_TRUE(attach()) << "hosts close and reopen";
    EXPECT_EQ(host.children().size(), 1u);
    EXPECT_EQ(rig->editor->removed(), kResultOk);
}

TEST_F(EditorX11, MouseAndKeyEventsEditParameters)
{
    ASSERT_TRUE(attach());
    xcb_window_t editor = host.embedded();
    frame.runUntil([&] { return host.pixel(editor, 190, 140) == 0x203040; });

    // Drag the knob from its top to its right (circular mode).
    host.button(XCB_BUTTON_PRESS, 1, 15, 11);
    host.motion(25, 15, XCB_BUTTON_MASK_1);
    host.button(XCB_BUTTON_RELEASE, 1, 25, 15, XCB_BUTTON_MASK_1);
    EXPECT_TRUE(frame.runUntil([&] { return rig->handler->count('e') == 1; }));
    EXPECT_NEAR(rig->controller->getParamNormalized(kKnobId), 0.8333, 1e-3);
    EXPECT_TRUE(rig->handler->wellBracketed());
    EXPECT_NE(host.focus(), editor) << "an ordinary click takes no focus";

    // The wheel over the fader.
    host.button(XCB_BUTTON_PRESS, 4, 113, 30);
    host.button(XCB_BUTTON_RELEASE, 4, 113, 30);
    EXPECT_TRUE(frame.runUntil([&] { return rig->handler->count('e') == 2; }));
    EXPECT_NEAR(rig->controller->getParamNormalized(kFaderId), 0.6, 1e-6);

    // Type into the text field.
    host.button(XCB_BUTTON_PRESS, 1, 55, 20);
    host.button(XCB_BUTTON_RELEASE, 1, 55, 20, XCB_BUTTON_MASK_1);
    EXPECT_TRUE(frame.runUntil([&] { return host.focus() == editor; })) << "typing takes focus";
    EXPECT_GT(frame.timerCount(), 0u) << "the caret blinks";
    for (uint32_t keysym : {0x30u, 0x2Eu, 0x37u, 0xFF0Du}) // 0 . 7 Return
        EXPECT_TRUE(host.key(keysym)) << keysym;
    EXPECT_TRUE(frame.runUntil([&] { return rig->handler->count('e') == 3; }));
    EXPECT_NEAR(rig->controller->getParamNormalized(kKnobId), 0.7, 1e-6);
    EXPECT_TRUE(rig->handler->wellBracketed());
    EXPECT_EQ(frame.timerCount(), 0u) << "no timer after typing";

    // The host taking the focus back (a click in its window) ends typing without an edit.
    host.button(XCB_BUTTON_PRESS, 1, 55, 20);
    host.button(XCB_BUTTON_RELEASE, 1, 55, 20, XCB_BUTTON_MASK_1);
    EXPECT_TRUE(frame.runUntil([&] { return rig->find<CTextEdit>()->isTyping(); }));
    frame.runUntil([&] { return host.focus() == editor; });
    host.takeFocus();
    EXPECT_TRUE(frame.runUntil([&] { return !rig->find<CTextEdit>()->isTyping(); }));
    EXPECT_EQ(frame.timerCount(), 0u);
    EXPECT_EQ(rig->handler->count('b'), 3);
    EXPECT_EQ(rig->editor->removed(), kResultOk);
}

TEST_F(EditorX11, HostMayCloseTheEditorFromInsideAnEdit)
{
    ASSERT_TRUE(attach());
    xcb_window_t editor = host.embedded();
    rig->handler->afterEnd = [this] { rig->editor->removed(); };
    host.button(XCB_BUTTON_PRESS, 4, 113, 30, 0, editor); // wheel: one whole gesture
    host.button(XCB_BUTTON_PRESS, 4, 113, 30, 0, editor); // arrives after the close
    EXPECT_TRUE(frame.runUntil([&] { return host.children().empty(); }));
    EXPECT_EQ(frame.eventHandlerCount(), 0u);
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
    EXPECT_EQ(frame.resizes, 1);
    EXPECT_EQ(frame.lastResize.getWidth(), 400);
    EXPECT_EQ(frame.lastResize.getHeight(), 300);
    xcb_window_t editor = host.embedded();
    EXPECT_TRUE(frame.runUntil([&] { return sizeOf(editor) == CPoint(400, 300); }));
    EXPECT_TRUE(frame.runUntil([&] { return host.pixel(editor, 390, 290) == 0x203040; }));
    EXPECT_EQ(host.pixel(editor, 30, 30), uint32_t(2 * kFrameStep) << 16);
    // Pointer positions are in device pixels: 226, 60 is the fader at 113, 30.
    host.button(XCB_BUTTON_PRESS, 4, 226, 60);
    EXPECT_TRUE(frame.runUntil([&] { return rig->handler->count('e') == 1; }));
    EXPECT_NEAR(rig->controller->getParamNormalized(kFaderId), 0.6, 1e-6);
    EXPECT_EQ(rig->editor->removed(), kResultOk);
}

TEST_F(EditorX11, AttachFailsCleanlyWithoutRunLoopOrParent)
{
    frame.offerRunLoop = false;
    EXPECT_EQ(rig->editor->attached(host.parent(), kPlatformTypeX11EmbedWindowID), kResultFalse);
    EXPECT_TRUE(host.children().empty());
    EXPECT_EQ(rig->editor->attached(host.parent(), kPlatformTypeHWND), kResultFalse);
    frame.offerRunLoop = true;
    EXPECT_EQ(rig->editor->attached(reinterpret_cast<void*>(uintptr_t(0x7ffffff)),
                                    kPlatformTypeX11EmbedWindowID),
              kResultFalse)
        << "a window that does not exist";
    EXPECT_EQ(frame.eventHandlerCount(), 0u);
}

TEST_F(EditorX11, ManyOpenAndCloseCyclesLeaveNothingBehind)
{
    for (int i = 0; i < 200; ++i)
    {
        ASSERT_TRUE(attach()) << i;
        frame.runOnce(0);
        ASSERT_EQ(rig->editor->removed(), kResultOk);
    }
    for (int i = 0; i < 200; ++i)
    {
        EditorRig other;
        other.editor->setFrame(&frame);
        ASSERT_EQ(other.editor->attached(host.parent(), kPlatformTypeX11EmbedWindowID), kResultOk)
            << i;
        frame.runOnce(0);
        ASSERT_EQ(other.editor->removed(), kResultOk);
    }
    EXPECT_TRUE(host.children().empty());
    EXPECT_EQ(frame.eventHandlerCount(), 0u);
    EXPECT_EQ(frame.timerCount(), 0u);
}

TEST(EditorWithoutX, AttachFailsCleanlyAndRenderingStillWorks)
{
    std::string saved = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    {
        TestPlugFrame frame;
        EditorRig rig;
        rig.editor->setFrame(&frame);
        EXPECT_EQ(rig.editor->attached(reinterpret_cast<void*>(uintptr_t(0x1234)),
                                       kPlatformTypeX11EmbedWindowID),
                  kResultFalse);
        EXPECT_EQ(frame.eventHandlerCount(), 0u);
        EXPECT_EQ(rig.editor->removed(), kResultFalse);
        EXPECT_EQ(renderToImage(rig.frame()).getPixel(190, 140) & 0xFFFFFF, 0x203040u);
        rig.editor->setFrame(nullptr);
    }
    if (!saved.empty()) setenv("DISPLAY", saved.c_str(), 1);
}
