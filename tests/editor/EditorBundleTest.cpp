// SPDX-License-Identifier: GPL-3.0-or-later
// The editor of the built bundle as a Linux host shows it: embedded in a host window on an X
// server, driven by the host's run loop, operated by mouse events. What the window shows is
// compared with the same editor drawn off-screen in this process.
#include "BraskControllerWithUI.h"
#include "BraskParameterIds.h"
#include "BuiltBundle.h"
#include "TestHosts.h"
#include "X11TestHost.h"

#include "editor/ParameterBinding.h"
#include "editor/VST3Editor.h"
#include "platform/offscreen/OffscreenRender.h"
#include "views/COptionMenu.h"
#include "views/CTextEdit.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using Host::ComponentHandler;

namespace {

constexpr int kWidth = 778, kHeight = 465;

// The same editor, built in this process on the controller values of the bundle's controller.
class ReferenceEditor
{
public:
    explicit ReferenceEditor(IEditController* source)
    {
        controller->initialize(host.context());
        for (int32 i = 0; i < source->getParameterCount(); ++i)
        {
            ParameterInfo info{};
            source->getParameterInfo(i, info);
            controller->setParamNormalized(info.id, source->getParamNormalized(info.id));
        }
        view = owned(controller->createView(ViewType::kEditor));
        editor = dynamic_cast<VSTGUI::VST3Editor*>(view.get());
        editor->getFrame()->setPlatformFrame(&platform);
    }
    ~ReferenceEditor()
    {
        editor->getFrame()->setPlatformFrame(nullptr);
        view = nullptr;
        controller->terminate();
    }
    VSTGUI::OffscreenImage image() const { return VSTGUI::renderToImage(*editor->getFrame()); }
    void click(VSTGUI::CCoord x, VSTGUI::CCoord y)
    {
        editor->getFrame()->platformOnMouseDown(VSTGUI::CPoint(x, y), VSTGUI::kLButton);
        editor->getFrame()->platformOnMouseUp(VSTGUI::CPoint(x, y), VSTGUI::kLButton);
    }

    EditorTest::TestHost host{false};
    IPtr<BraskControllerWithUI> controller = owned(new BraskControllerWithUI());
    IPtr<IPlugView> view;
    VSTGUI::VST3Editor* editor = nullptr;
    VSTGUI::OffscreenPlatformFrame platform{nullptr};
};

// Share of the pixels in the rectangle whose colour differs by more than `tolerance` per channel.
double mismatch(const EditorTest::Screenshot& shot, const VSTGUI::OffscreenImage& reference,
                int x0 = 0, int y0 = 0, int w = kWidth, int h = kHeight, int tolerance = 16)
{
    int differing = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
        {
            const std::uint32_t a = shot.at(x, y), b = reference.getPixel(x, y) & 0xFFFFFF;
            for (int shift = 0; shift <= 16; shift += 8)
                if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance)
                {
                    ++differing;
                    break;
                }
        }
    return double(differing) / (w * h);
}

class EditorBundleTest : public ::testing::Test
{
protected:
    // One X server for all tests, as a desktop session would have.
    static void SetUpTestSuite() { server = new EditorTest::XServer(); }
    static void TearDownTestSuite() { delete server; }

    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(server->start(error)) << error;
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
        ASSERT_EQ(view->attached(reinterpret_cast<void*>(std::uintptr_t(window.id())),
                                 kPlatformTypeX11EmbedWindowID),
                  kResultOk);
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

    static EditorTest::XServer* server;
    TestSupport::BuiltBundle bundle;
    EditorTest::HostWindow window;
    EditorTest::TestPlugFrame frame;
    IEditController* controller = nullptr;
    IPtr<IPlugView> view;
};

EditorTest::XServer* EditorBundleTest::server = nullptr;

TEST_F(EditorBundleTest, OpensEmbeddedAndShowsEveryControlAtItsValue)
{
    open();
    const std::vector<xcb_window_t> embedded = window.children();
    ASSERT_EQ(embedded.size(), 1u);
    int width = 0, height = 0;
    ASSERT_TRUE(window.geometry(embedded.front(), width, height));
    EXPECT_EQ(width, kWidth);
    EXPECT_EQ(height, kHeight);
    EXPECT_TRUE(window.declaresXEmbedMapped(embedded.front()));
    EXPECT_EQ(frame.timerCount(), 0u); // an idle editor runs no timer

    const EditorTest::Screenshot shot = window.screenshot();
    ASSERT_EQ(shot.width, kWidth);
    ReferenceEditor reference(controller);
    EXPECT_LT(mismatch(shot, reference.image()), 0.01);

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
    const EditorTest::Screenshot before = window.screenshot();
    ASSERT_EQ(controller->setParamNormalized(kLfoRate, 0.9), kResultOk);
    ASSERT_EQ(controller->setParamNormalized(kVcfFreq, 0.1), kResultOk);
    frame.pump(200);
    const EditorTest::Screenshot after = window.screenshot();

    ReferenceEditor reference(controller);
    const VSTGUI::OffscreenImage expected = reference.image();
    EXPECT_LT(mismatch(after, expected), 0.01);
    // The LFO knob and the filter fader, with their read-outs, now look different.
    VSTGUI::OffscreenImage old;
    old.width = before.width, old.height = before.height, old.pixels = before.pixels;
    EXPECT_GT(mismatch(after, old, 328, 185, 64, 86), 0.02);
    EXPECT_GT(mismatch(after, old, 432, 83, 30, 145), 0.05);
}

TEST_F(EditorBundleTest, DraggingKnobAndFaderEditsThroughTheHost)
{
    FUnknownPtr<IEditController2> modes(controller);
    ASSERT_TRUE(modes);
    modes->setKnobMode(kLinearMode);
    open();

    // The LFO rate knob (centre 360, 217) dragged 40 pixels up.
    window.press(360, 217);
    for (int y = 213; y >= 177; y -= 4)
        window.move(360, y);
    window.release(360, 177);
    frame.pump(100);
    const double knob = expectOneGesture(kLfoRate);
    EXPECT_GT(knob, 0.55);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kLfoRate), knob);

    // The filter frequency fader's cap (at 0.5: 447, 147) dragged 40 pixels up.
    window.press(447, 147);
    for (int y = 143; y >= 107; y -= 4)
        window.move(447, y);
    window.release(447, 107);
    frame.pump(100);
    const double fader = expectOneGesture(kVcfFreq);
    EXPECT_GT(fader, 0.6);
    EXPECT_DOUBLE_EQ(controller->getParamNormalized(kVcfFreq), fader);
    modes->setKnobMode(kCircularMode);
}

TEST_F(EditorBundleTest, VoiceModeMenuListsSixModesAndMonoGlideSetsGlide)
{
    open();
    ReferenceEditor reference(controller);
    auto* menu = dynamic_cast<VSTGUI::COptionMenu*>(
        reference.editor->getBinding(kGlide)->getControls().front());
    ASSERT_NE(menu, nullptr);
    const char* modes[] = {"Poly", "Poly-Legato", "Poly-Glide",
                           "Mono", "Mono-Legato", "Mono-Glide"};
    ASSERT_EQ(menu->getNbEntries(), 6);
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(menu->getEntry(i), modes[i]);

    const EditorTest::Screenshot closed = window.screenshot();
    const VSTGUI::CRect field = menu->localToFrame(menu->getViewSize());
    window.click(int(field.getCenter().x), int(field.getCenter().y));
    frame.pump(150);
    reference.click(field.getCenter().x, field.getCenter().y);
    ASSERT_TRUE(menu->isPopupOpen());
    const VSTGUI::CRect popup = menu->getPopupRect();
    const EditorTest::Screenshot open = window.screenshot();
    VSTGUI::OffscreenImage old;
    old.width = closed.width, old.height = closed.height, old.pixels = closed.pixels;
    EXPECT_GT(mismatch(open, old, int(popup.left), int(popup.top), int(popup.getWidth()),
                       int(popup.getHeight())),
              0.2);

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
    const EditorTest::Screenshot panel = window.screenshot();
    window.click(600, 40);
    frame.pump(100);
    EXPECT_EQ(frame.timerCount(), 1u); // the fade-in runs on the host's timer
    frame.pump(700);
    const EditorTest::Screenshot about = window.screenshot();
    EXPECT_EQ(frame.timerCount(), 0u);

    ReferenceEditor reference(controller);
    reference.click(600, 40);
    reference.platform.advance(1000);
    const VSTGUI::OffscreenImage expected = reference.image();
    EXPECT_LT(mismatch(about, expected, 230, 85, 380, 330), 0.01);
    VSTGUI::OffscreenImage old;
    old.width = panel.width, old.height = panel.height, old.pixels = panel.pixels;
    EXPECT_GT(mismatch(about, old, 230, 85, 380, 330), 0.5);

    window.click(420, 250);
    frame.pump(300);
    VSTGUI::OffscreenImage closed;
    const EditorTest::Screenshot again = window.screenshot();
    closed.width = again.width, closed.height = again.height, closed.pixels = again.pixels;
    EXPECT_LT(mismatch(panel, closed), 0.001);
}

TEST_F(EditorBundleTest, OpeningDrawingAndClosingTwoHundredTimesLeavesNothingBehind)
{
    for (int cycle = 0; cycle < 200; ++cycle)
    {
        open(cycle % 50 == 0 ? 300 : 20); // drawn from the run loop as the Expose arrives
        if (cycle % 50 == 0)
        {
            const EditorTest::Screenshot shot = window.screenshot();
            ReferenceEditor reference(controller);
            ASSERT_LT(mismatch(shot, reference.image()), 0.01) << "cycle " << cycle;
        }
        close();
        ASSERT_TRUE(window.children().empty()) << "cycle " << cycle;
        ASSERT_EQ(frame.eventHandlerCount() + frame.timerCount(), 0u) << "cycle " << cycle;
    }
}

} // namespace
