// SPDX-License-Identifier: GPL-3.0-or-later
// The editor of the built bundle as a Linux host shows it: embedded in a host window on an X
// server, driven by the host's run loop, operated by mouse events. What the window shows is
// compared with the same editor drawn off-screen in this process.
#include "BraskControllerWithUI.h"
#include "BraskParameterIds.h"
#include "BuiltBundle.h"
#include "OffscreenEditor.h"
#include "Picture.h"
#include "TestHosts.h"
#include "TestPlugFrame.h"
#include "X11HostWindow.h"

#include "editor/ParameterBinding.h"
#include "editor/VST3Editor.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/COptionMenu.h"
#include "views/CTextEdit.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using Host::ComponentHandler;
using TestSupport::Area;
using TestSupport::Picture;

namespace {

constexpr int kWidth = 778, kHeight = 465;

// Fonts may rasterise differently by a shade; layout and colours must not.
constexpr int kTolerance = 16;

class EditorBundleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(bundle.open(error)) << error;
        ASSERT_TRUE(window.open(kWidth, kHeight, error)) << error;
        controller = bundle.instance->controller();
    }
    void TearDown() override { close(); }

    void open(int settleMilliseconds = 300)
    {
        view = owned(controller->createView(ViewType::kEditor));
        ASSERT_TRUE(view);
        ASSERT_EQ(view->setFrame(&frame), kResultOk);
        ASSERT_EQ(view->attached(window.parent(), kPlatformTypeX11EmbedWindowID), kResultOk);
        frame.pump(settleMilliseconds);
    }
    void close()
    {
        if (!view) return;
        view->removed();
        view->setFrame(nullptr);
        view = nullptr;
    }
    std::vector<ComponentHandler::Edit> editsOf(ParamID id) const
    {
        std::vector<ComponentHandler::Edit> edits;
        for (const ComponentHandler::Edit& e : bundle.handler.edits)
            if (e.id == id) edits.push_back(e);
        return edits;
    }
    // One gesture: a begin, at least one perform, an end, in this order; the last value.
    double expectOneGesture(ParamID id)
    {
        const std::vector<ComponentHandler::Edit> edits = editsOf(id);
        EXPECT_GE(edits.size(), 3u) << id;
        if (edits.size() < 3) return -1.0;
        EXPECT_EQ(edits.front().kind, ComponentHandler::Edit::kBegin) << id;
        EXPECT_EQ(edits.back().kind, ComponentHandler::Edit::kEnd) << id;
        for (std::size_t i = 1; i + 1 < edits.size(); ++i)
            EXPECT_EQ(edits[i].kind, ComponentHandler::Edit::kPerform) << id;
        return edits[edits.size() - 2].value;
    }

    TestSupport::BuiltBundle bundle;
    TestSupport::X11HostWindow window;
    TestSupport::TestPlugFrame frame;
    IEditController* controller = nullptr;
    IPtr<IPlugView> view;
};

TEST_F(EditorBundleTest, OpensEmbeddedAndShowsEveryControlAtItsValue)
{
    open();
    const std::vector<xcb_window_t> embedded = window.children();
    ASSERT_EQ(embedded.size(), 1u);
    int width = 0, height = 0;
    window.size(embedded.front(), width, height);
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    EXPECT_EQ(window.property(embedded.front(), "_XEMBED_INFO"), (std::vector<uint32_t>{0, 1}))
        << "mapped";
    EXPECT_EQ(frame.timerCount(), 0u); // an idle editor runs no timer

    const Picture shot = window.screenshot();
    ASSERT_EQ(shot.width, kWidth);
    OffscreenEditor reference(new BraskControllerWithUI(), controller);
    EXPECT_LT(mismatch(shot, reference.image(), kTolerance), 0.01);

    // Every numeric field shows green figures over its dark window.
    for (ParamID id = 0; id < kSoundParamCount; ++id)
    {
        if (id == kGlide) continue;
        for (VSTGUI::CControl* control : reference.editor->getBinding(id)->getControls())
        {
            if (!dynamic_cast<VSTGUI::CTextEdit*>(control)) continue;
            const VSTGUI::CRect field = control->localToFrame(control->getViewSize());
            int green = 0;
            for (int y = int(field.top); y < int(field.bottom); ++y)
                for (int x = int(field.left); x < int(field.right); ++x)
                {
                    const std::uint32_t p = shot.at(x, y);
                    if (((p >> 8) & 0xFF) > 150 && (p >> 16) < 110 && (p & 0xFF) < 110) ++green;
                }
            EXPECT_GT(green, 20) << "field of parameter " << id;
        }
    }
}

TEST_F(EditorBundleTest, HostSideChangeMovesItsControl)
{
    open();
    const Picture before = window.screenshot();
    ASSERT_EQ(controller->setParamNormalized(kLfoRate, 0.9), kResultOk);
    ASSERT_EQ(controller->setParamNormalized(kVcfFreq, 0.1), kResultOk);
    frame.pump(200);
    const Picture after = window.screenshot();

    OffscreenEditor reference(new BraskControllerWithUI(), controller);
    EXPECT_LT(mismatch(after, reference.image(), kTolerance), 0.01);
    // The LFO knob and the filter fader, with their read-outs, now look different.
    EXPECT_GT(mismatch(after, before, kTolerance, {328, 185, 64, 86}), 0.02);
    EXPECT_GT(mismatch(after, before, kTolerance, {432, 83, 30, 145}), 0.05);
}

TEST_F(EditorBundleTest, DraggingKnobAndFaderEditsThroughTheHost)
{
    FUnknownPtr<IEditController2> modes(controller);
    ASSERT_TRUE(modes);
    modes->setKnobMode(kLinearMode);
    open();

    // The LFO rate knob (centre 360, 217) and the filter frequency fader's cap (at 0.5: 447,
    // 147), each dragged 40 pixels up.
    const struct
    {
        ParamID id;
        int x, y;
        double above;
    } drags[] = {{kLfoRate, 360, 217, 0.55}, {kVcfFreq, 447, 147, 0.6}};
    for (const auto& drag : drags)
    {
        window.press(drag.x, drag.y);
        for (int y = drag.y - 4; y >= drag.y - 40; y -= 4)
            window.move(drag.x, y);
        window.release(drag.x, drag.y - 40);
        frame.pump(100);
        const double value = expectOneGesture(drag.id);
        EXPECT_GT(value, drag.above) << drag.id;
        EXPECT_DOUBLE_EQ(controller->getParamNormalized(drag.id), value);
    }
    modes->setKnobMode(kCircularMode);
}

TEST_F(EditorBundleTest, VoiceModeMenuListsSixModesAndMonoGlideSetsGlide)
{
    open();
    OffscreenEditor reference(new BraskControllerWithUI(), controller);
    auto* menu = dynamic_cast<VSTGUI::COptionMenu*>(
        reference.editor->getBinding(kGlide)->getControls().front());
    ASSERT_NE(menu, nullptr);
    const char* modes[] = {"Poly", "Poly-Legato", "Poly-Glide",
                           "Mono", "Mono-Legato", "Mono-Glide"};
    ASSERT_EQ(menu->getNbEntries(), 6);
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(menu->getEntry(i), modes[i]);

    const Picture closed = window.screenshot();
    const VSTGUI::CRect field = menu->localToFrame(menu->getViewSize());
    window.click(int(field.getCenter().x), int(field.getCenter().y));
    frame.pump(150);
    reference.click(field.getCenter());
    ASSERT_TRUE(menu->isPopupOpen());
    const VSTGUI::CRect popup = menu->getPopupRect();
    const Picture open = window.screenshot();
    const Area popupArea{int(popup.left), int(popup.top), int(popup.getWidth()),
                         int(popup.getHeight())};
    EXPECT_GT(mismatch(open, closed, kTolerance, popupArea), 0.2);

    // The last of the six rows.
    const double row = popup.getHeight() / 6;
    window.click(int(popup.getCenter().x), int(popup.bottom - row / 2));
    frame.pump(150);
    EXPECT_DOUBLE_EQ(expectOneGesture(kGlide), 1.0);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kGlide), 1.0);
}

TEST_F(EditorBundleTest, TitleClickOpensTheAboutPanelAndAClickClosesIt)
{
    open();
    const Picture panel = window.screenshot();
    window.click(600, 40);
    frame.pump(100);
    EXPECT_EQ(frame.timerCount(), 1u); // the fade-in runs on the host's timer
    frame.pump(700);
    const Picture about = window.screenshot();
    EXPECT_EQ(frame.timerCount(), 0u);

    OffscreenEditor reference(new BraskControllerWithUI(), controller);
    reference.click({600, 40});
    reference.platform.advance(1000);
    const Area aboutPanel{230, 85, 380, 330};
    EXPECT_LT(mismatch(about, reference.image(), kTolerance, aboutPanel), 0.01);
    EXPECT_GT(mismatch(about, panel, kTolerance, aboutPanel), 0.5);

    window.click(420, 250);
    frame.pump(300);
    EXPECT_LT(mismatch(panel, window.screenshot(), kTolerance), 0.001);
}

TEST_F(EditorBundleTest, OpeningDrawingAndClosingTwoHundredTimesLeavesNothingBehind)
{
    for (int cycle = 0; cycle < 200; ++cycle)
    {
        open(cycle % 50 == 0 ? 300 : 20); // drawn from the run loop as the Expose arrives
        if (cycle % 50 == 0)
        {
            const Picture shot = window.screenshot();
            OffscreenEditor reference(new BraskControllerWithUI(), controller);
            ASSERT_LT(mismatch(shot, reference.image(), kTolerance), 0.01) << "cycle " << cycle;
        }
        close();
        ASSERT_TRUE(window.children().empty()) << "cycle " << cycle;
        ASSERT_EQ(frame.eventHandlerCount() + frame.timerCount(), 0u) << "cycle " << cycle;
    }
}

} // namespace
