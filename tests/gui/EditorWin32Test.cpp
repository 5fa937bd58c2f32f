// SPDX-License-Identifier: GPL-3.0-or-later
// The editor runtime in a real Win32 child window (under Wine on an X server): zooming resizes
// the window when the host agrees and draws as the off-screen render does; keys the editor does
// not use reach the host's window; the pointer leaving the window ends a hover.
#include "GuiTestSupport.h"
#include "Win32TestWindow.h"

#include "views/CTextEdit.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace GuiTest;
using namespace VSTGUI;

namespace {

void pump(int milliseconds)
{
    Steinberg::Vst::Tarvik::TestSupport::pumpMessages(milliseconds);
}

/** Keys that arrive at the host's window. */
std::vector<WPARAM> hostKeys;

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN) hostKeys.push_back(wParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

/** The host's window, and its frame that agrees to resizes unless told to refuse. */
class HostWindow : public FObject, public IPlugFrame
{
public:
    HostWindow()
    {
        window = Steinberg::Vst::Tarvik::TestSupport::openHostWindow(
            L"BraskRuntimeTestHost", hostProcedure, L"host", 600, 500);
        SetForegroundWindow(window);
    }
    ~HostWindow() override
    {
        DestroyWindow(window);
        UnregisterClassW(L"BraskRuntimeTestHost", GetModuleHandleW(nullptr));
    }
    HWND editor() const { return GetWindow(window, GW_CHILD); }
    CPoint editorSize() const
    {
        RECT area{};
        GetClientRect(editor(), &area);
        return CPoint(area.right, area.bottom);
    }
    /** What the editor's window shows, as 0xRRGGBB. */
    OffscreenImage screenshot() const
    {
        const Steinberg::Vst::Tarvik::TestSupport::Picture shown =
            Steinberg::Vst::Tarvik::TestSupport::pictureOfWindow(editor());
        OffscreenImage image;
        image.width = shown.width;
        image.height = shown.height;
        image.pixels = shown.pixels;
        return image;
    }

    tresult PLUGIN_API resizeView(IPlugView* view, ViewRect* newSize) SMTG_OVERRIDE
    {
        ++resizes;
        if (refuse) return kResultFalse;
        SetWindowPos(window, nullptr, 0, 0, newSize->getWidth() + 40, newSize->getHeight() + 60,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
        view->onSize(newSize);
        return kResultTrue;
    }

    bool refuse = false;
    int resizes = 0;
    HWND window = nullptr;

    OBJ_METHODS(HostWindow, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(IPlugFrame)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)
};

/** Share of pixels whose colour differs by more than 24 in a channel. */
double mismatch(const OffscreenImage& a, const OffscreenImage& b)
{
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            for (int shift = 0; shift <= 16; shift += 8)
                if (std::abs(int((a.getPixel(x, y) >> shift) & 0xFF) -
                             int((b.getPixel(x, y) >> shift) & 0xFF)) > 24)
                {
                    ++differing;
                    break;
                }
    return double(differing) / (double(a.width) * a.height);
}

class EditorWin32 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host->window) << "no window: is there a display?";
        rig.controller->setKnobMode(Steinberg::Vst::kLinearMode);
        rig.editor->setFrame(host);
        ASSERT_EQ(rig.editor->attached(host->window, kPlatformTypeHWND), kResultOk);
        pump(100);
    }
    void TearDown() override
    {
        rig.editor->removed();
        rig.editor->setFrame(nullptr);
        rig.controller->setKnobMode(Steinberg::Vst::kCircularMode);
        host->release();
        hostKeys.clear();
    }

    HostWindow* host = new HostWindow;
    EditorRig rig;
};

} // namespace

TEST_F(EditorWin32, ZoomResizesTheWindowWhenTheHostAgrees)
{
    struct Step
    {
        double zoom;
        bool refuse;
        bool taken;
        CPoint size;
    };
    const Step steps[] = {
        {1.5, true, false, {200, 150}},  {1.5, false, true, {300, 225}},
        {1.25, false, true, {250, 188}}, {2.0, true, false, {250, 188}},
        {1.0, false, true, {200, 150}},
    };
    for (const Step& step : steps)
    {
        host->refuse = step.refuse;
        const int asked = host->resizes;
        EXPECT_EQ(rig.editor->setZoomFactor(step.zoom), step.taken) << step.zoom;
        EXPECT_EQ(host->resizes, asked + 1) << "the host is asked";
        pump(150);
        EXPECT_EQ(host->editorSize(), step.size) << step.zoom;
    }
    host->refuse = false;
    ASSERT_TRUE(rig.editor->setZoomFactor(1.5));
    pump(300);
    const OffscreenImage shown = host->screenshot();
    const OffscreenImage expected = renderToImage(rig.frame(), 1.5);
    ASSERT_EQ(shown.width, expected.width);
    EXPECT_LT(mismatch(shown, expected), 0.01);
    // The pointer in window pixels: 170, 45 is the fader at 113, 30 (the wheel raises it).
    POINT screen{170, 45};
    ClientToScreen(host->editor(), &screen);
    PostMessageW(host->editor(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                 MAKELPARAM(screen.x, screen.y));
    pump(50);
    EXPECT_NEAR(rig.controller->getParamNormalized(kFaderId), 0.6, 1e-6);
}

TEST_F(EditorWin32, KeysTheEditorDoesNotUseReachTheHostsWindow)
{
    HWND editor = host->editor();
    PostMessageW(editor, WM_KEYDOWN, VK_TAB, 1);
    pump(50);
    EXPECT_NE(rig.frame().getFocusView(), nullptr);
    EXPECT_EQ(GetFocus(), editor) << "the editor takes the keys for the focused control";
    PostMessageW(editor, WM_KEYDOWN, VK_UP, 1);
    PostMessageW(editor, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageW(editor, WM_KEYDOWN, 'P', 1);
    pump(50);
    EXPECT_NEAR(rig.controller->getParamNormalized(kKnobId), 0.35, 1e-6);
    EXPECT_EQ(hostKeys, (std::vector<WPARAM>{VK_SPACE, 'P'}));
    PostMessageW(editor, WM_KEYDOWN, VK_ESCAPE, 1);
    pump(50);
    EXPECT_EQ(rig.frame().getFocusView(), nullptr);
    EXPECT_NE(GetFocus(), editor) << "and gives them back";
}

TEST_F(EditorWin32, LeavingTheWindowEndsTheHover)
{
    rig.controller->gestureText = [](ParamID, double, std::string& text) {
        text = "hovered";
        return true;
    };
    auto* field = rig.find<CTextEdit>();
    // The real pointer goes there too: Windows reports leaving by where it is.
    POINT knob{15, 15};
    ClientToScreen(host->editor(), &knob);
    SetCursorPos(knob.x, knob.y);
    PostMessageW(host->editor(), WM_MOUSEMOVE, 0, MAKELPARAM(15, 15));
    pump(50);
    EXPECT_EQ(field->getDisplayText(), "hovered");
    SetCursorPos(knob.x + 500, knob.y + 400);
    PostMessageW(host->editor(), WM_MOUSELEAVE, 0, 0);
    pump(50);
    EXPECT_EQ(field->getDisplayText(), "0.2500");
}
