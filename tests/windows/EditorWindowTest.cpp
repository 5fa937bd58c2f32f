// SPDX-License-Identifier: GPL-3.0-or-later
// The built module's editor as a Windows host shows it: opened in a top-level window of this
// test, painted through the message loop, read back with BitBlt and compared with the Linux
// build's off-screen render of the same state; operated through posted window messages; opened
// and closed again and again without leaving anything behind.
#include "BraskParameterDefaults.h"
#include "BraskParameterIds.h"
#include "BuiltBundle.h"
#include "BuiltVst2Module.h"
#include "Picture.h"
#include "Win32TestWindow.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <gdiplus.h>
#include <winternl.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace Steinberg::Vst::Tarvik;
using Host::ComponentHandler;
using TestSupport::Picture;

namespace {

constexpr int kWidth = 778, kHeight = 465;
// Wine's and Linux's fonts rasterise differently; layout and colours must not.
constexpr int kTolerance = 24;

Picture readPNG(const std::string& path)
{
    Picture picture;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return picture;
    {
        std::wstring wide(path.begin(), path.end());
        Gdiplus::Bitmap bitmap(wide.c_str());
        Gdiplus::Rect all(0, 0, INT(bitmap.GetWidth()), INT(bitmap.GetHeight()));
        Gdiplus::BitmapData data{};
        if (bitmap.GetLastStatus() == Gdiplus::Ok &&
            bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppRGB, &data) ==
                Gdiplus::Ok)
        {
            picture.width = all.Width;
            picture.height = all.Height;
            for (int y = 0; y < all.Height; ++y)
            {
                const auto* row = reinterpret_cast<const std::uint32_t*>(
                    static_cast<const BYTE*>(data.Scan0) + INT_PTR(y) * data.Stride);
                for (int x = 0; x < all.Width; ++x)
                    picture.pixels.push_back(row[x] & 0xFFFFFF);
            }
            bitmap.UnlockBits(&data);
        }
    }
    Gdiplus::GdiplusShutdown(token);
    return picture;
}

/** Keeps a window shot as a BMP file in $BRASK_EDITOR_SHOT_DIR, when set: to look at. */
void keepShot(const Picture& picture, const std::string& name)
{
    const char* folder = std::getenv("BRASK_EDITOR_SHOT_DIR");
    if (!folder || picture.width == 0) return;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = picture.width;
    header.biHeight = -picture.height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    const DWORD bytes = DWORD(picture.pixels.size() * 4);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + bytes;
    if (FILE* out = std::fopen((std::string(folder) + "/" + name + ".bmp").c_str(), "wb"))
    {
        std::fwrite(&file, sizeof(file), 1, out);
        std::fwrite(&header, sizeof(header), 1, out);
        std::fwrite(picture.pixels.data(), 1, bytes, out);
        std::fclose(out);
    }
}

int pump(int milliseconds)
{
    return TestSupport::pumpMessages(milliseconds);
}

/** The host's window that holds the editor: a plain top-level window. */
class HostWindow
{
public:
    HostWindow()
    {
        RECT frame{0, 0, kWidth, kHeight};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        window = TestSupport::openHostWindow(L"BraskTestHost", DefWindowProcW, L"Brask",
                                             frame.right - frame.left, frame.bottom - frame.top);
    }
    ~HostWindow()
    {
        if (window) DestroyWindow(window);
        UnregisterClassW(L"BraskTestHost", GetModuleHandleW(nullptr));
    }
    HWND handle() const { return window; }
    /** Makes room for an editor of `width` x `height`. */
    void resize(int width, int height) const
    {
        RECT frame{0, 0, width, height};
        AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    HWND editor() const { return GetWindow(window, GW_CHILD); }

    /** What the editor's window shows. */
    Picture screenshot() const { return TestSupport::pictureOfWindow(editor()); }

    void post(UINT message, WPARAM keys, int x, int y) const
    {
        PostMessageW(editor(), message, keys, MAKELPARAM(x, y));
        pump(30);
    }

private:
    HWND window = nullptr;
};

class EditorWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(bundle.open(error)) << error;
        ASSERT_TRUE(host.handle()) << "no window: is there a display?";
        // As a host opens a new instance: the processor's state handed to the controller.
        ASSERT_TRUE(bundle.instance->syncControllerFromProcessor());
        controller = bundle.instance->controller();
    }
    void TearDown() override { close(); }

    void open(int settleMilliseconds = 200)
    {
        view = owned(controller->createView(ViewType::kEditor));
        ASSERT_TRUE(view);
        ASSERT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kResultTrue);
        ASSERT_EQ(view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID), kResultFalse);
        ASSERT_EQ(view->attached(host.handle(), kPlatformTypeHWND), kResultOk);
        pump(settleMilliseconds);
    }
    void close()
    {
        if (!view) return;
        view->removed();
        view = nullptr;
        pump(20);
    }
    std::vector<ComponentHandler::Edit> takeEdits(ParamID id)
    {
        std::vector<ComponentHandler::Edit> edits;
        for (const ComponentHandler::Edit& e : bundle.handler.edits)
            if (e.id == id) edits.push_back(e);
        bundle.handler.edits.clear();
        return edits;
    }

    TestSupport::BuiltBundle bundle;
    HostWindow host;
    IEditController* controller = nullptr;
    IPtr<IPlugView> view;
};

TEST_F(EditorWindow, LooksLikeTheLinuxRenderOfTheSameState)
{
    struct Case
    {
        const char* reference; // PNG of the Linux build's brask-screenshot
        double scale;          // the editor's scale
        bool zoomed;           // the scale is the editor's zoom, chosen by resizing, not the
                               // host's content scale
        int clickX, clickY;    // a click first, where not negative
    };
    const Case cases[] = {
        {"editor.png", 1, false, -1, -1},
        {"about.png", 1, false, 631, 44}, // the logo opens the about panel
        {"editor@2x.png", 2, false, -1, -1},
        {"editor@1.5x.png", 1.5, false, -1, -1}, // filtered #2x bitmaps, text at its size
        {"editor@1.5x.png", 1.5, true, -1, -1},
    };
    for (const Case& c : cases)
    {
        const std::string name = std::string(c.reference) + (c.zoomed ? " zoomed" : "");
        SCOPED_TRACE(name);
        const int width = int(std::lround(kWidth * c.scale));
        const int height = int(std::lround(kHeight * c.scale));
        host.resize(width, height);
        open(0);
        if (c.zoomed)
        {
            // As a host lets the user drag the window's edge: asks, then sets the size.
            ViewRect size(0, 0, width + 7, height + 5);
            ASSERT_EQ(view->checkSizeConstraint(&size), kResultTrue);
            ASSERT_EQ(size.getWidth(), width);
            ASSERT_EQ(size.getHeight(), height);
            ASSERT_EQ(view->onSize(&size), kResultTrue);
        }
        else
        {
            FUnknownPtr<IPlugViewContentScaleSupport> scaling(view);
            ASSERT_TRUE(scaling);
            ASSERT_EQ(scaling->setContentScaleFactor(float(c.scale)), kResultOk);
        }
        pump(300);
        HWND editor = host.editor();
        ASSERT_TRUE(editor);
        RECT area{};
        GetClientRect(editor, &area);
        EXPECT_EQ(area.right, width);
        EXPECT_EQ(area.bottom, height);
        EXPECT_EQ(GetWindowLongW(editor, GWL_STYLE) & WS_CHILD, WS_CHILD);
        if (c.clickX >= 0)
        {
            host.post(WM_LBUTTONDOWN, MK_LBUTTON, c.clickX, c.clickY);
            host.post(WM_LBUTTONUP, 0, c.clickX, c.clickY);
            pump(1500); // the panel fades in
        }
        const Picture reference =
            readPNG(std::string(BRASK_EDITOR_REFERENCE_DIR "/") + c.reference);
        ASSERT_EQ(reference.width, width) << "missing reference; scripts/test-windows makes it";
        const Picture shot = host.screenshot();
        ASSERT_EQ(shot.width, width);
        keepShot(shot, name);
        // Fonts rasterise differently; layout and colours must not. A panel two pixels off
        // already fails by far.
        const double same = mismatch(shot, reference, kTolerance);
        const double shifted = mismatch(shot, reference, kTolerance, 2, 2);
        std::printf("%s: %.2f %% of the pixels differ (%.2f %% when shifted by 2 px)\n",
                    name.c_str(), 100 * same, 100 * shifted);
        EXPECT_LT(same, 0.02);
        EXPECT_GT(shifted, 4 * 0.02);
        // Text is drawn: the VCF Freq field (422..472 x 208..228, under the about panel when it
        // is open) shows green figures.
        if (c.clickX >= 0 || c.scale != 1)
        {
            close();
            continue;
        }
        int green = 0;
        for (int y = 208; y < 228; ++y)
            for (int x = 422; x < 472; ++x)
            {
                const std::uint32_t p = shot.at(x, y);
                if (((p >> 8) & 0xFF) > 150 && (p >> 16) < 110 && (p & 0xFF) < 110) ++green;
            }
        EXPECT_GT(green, 20);
        close();
    }
}

TEST_F(EditorWindow, FollowsTheHostsChanges)
{
    open();
    const Picture before = host.screenshot();
    ASSERT_EQ(controller->setParamNormalized(kVcfFreq, 0.05), kResultOk);
    pump(200);
    const Picture after = host.screenshot();
    // The VCF Freq fader and its field (432..462 x 83..228) change; nothing else does.
    int inside = 0, outside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
        {
            if (before.at(x, y) == after.at(x, y)) continue;
            (x >= 420 && x < 474 && y >= 83 && y < 230 ? inside : outside)++;
        }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
}

TEST_F(EditorWindow, MouseAndKeysBecomeOneGestureOfEdits)
{
    // VCF Freq: a vertical fader at 432..462 x 83..211, its field at 422..472 x 208..228.
    struct Step
    {
        UINT message;
        WPARAM keys; // or the key / character for keyboard messages
        int x, y;
    };
    struct Case
    {
        const char* name;
        std::vector<Step> steps;
        int performsAtLeast; // 0: no edit at all
        double value;        // expected value afterwards, or -1 for "raised"
    };
    // The default is the sound a new instance plays.
    const double kInitVcfFreq = static_cast<double>(kDefaultParamValues[kVcfFreq]);
    const Case cases[] = {
        {"drag up",
         {{WM_LBUTTONDOWN, MK_LBUTTON, 447, 150},
          {WM_MOUSEMOVE, MK_LBUTTON, 447, 140},
          {WM_MOUSEMOVE, MK_LBUTTON, 447, 130},
          {WM_MOUSEMOVE, MK_LBUTTON, 447, 120},
          {WM_LBUTTONUP, 0, 447, 120}},
         2,
         -1},
        {"ctrl-click restores the default",
         {{WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 447, 150},
          {WM_LBUTTONUP, MK_CONTROL, 447, 150}},
         1,
         kInitVcfFreq},
        {"double-click restores the default",
         {{WM_LBUTTONDOWN, MK_LBUTTON, 447, 150},
          {WM_LBUTTONUP, 0, 447, 150},
          {WM_LBUTTONDBLCLK, MK_LBUTTON, 447, 150},
          {WM_LBUTTONUP, 0, 447, 150}},
         1,
         kInitVcfFreq},
        {"typed value",
         {{WM_LBUTTONDOWN, MK_LBUTTON, 447, 218},
          {WM_LBUTTONUP, 0, 447, 218},
          {WM_CHAR, '0', 0, 0},
          {WM_CHAR, '.', 0, 0},
          {WM_CHAR, '2', 0, 0},
          {WM_CHAR, '5', 0, 0},
          {WM_KEYDOWN, VK_RETURN, 0, 0}},
         1,
         0.25},
        {"typing ended by Escape",
         {{WM_LBUTTONDOWN, MK_LBUTTON, 447, 218},
          {WM_LBUTTONUP, 0, 447, 218},
          {WM_CHAR, '9', 0, 0},
          {WM_KEYDOWN, VK_ESCAPE, 0, 0}},
         0,
         0},
    };
    open();
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(controller->setParamNormalized(kVcfFreq, 0.2), kResultOk);
        pump(50);
        takeEdits(kVcfFreq);
        for (const Step& step : c.steps)
        {
            if (step.message == WM_CHAR || step.message == WM_KEYDOWN)
            {
                PostMessageW(host.editor(), step.message, step.keys, 1);
                pump(30);
            }
            else
            {
                host.post(step.message, step.keys, step.x, step.y);
            }
        }
        const std::vector<ComponentHandler::Edit> edits = takeEdits(kVcfFreq);
        // Typing, however it ended, hands the keyboard back to the host.
        EXPECT_NE(GetFocus(), host.editor());
        if (c.performsAtLeast == 0)
        {
            EXPECT_TRUE(edits.empty());
            EXPECT_DOUBLE_EQ(controller->getParamNormalized(kVcfFreq), 0.2);
            continue;
        }
        ASSERT_GE(edits.size(), std::size_t(2 + c.performsAtLeast));
        EXPECT_EQ(edits.front().kind, ComponentHandler::Edit::kBegin);
        EXPECT_EQ(edits.back().kind, ComponentHandler::Edit::kEnd);
        for (std::size_t i = 1; i + 1 < edits.size(); ++i)
            EXPECT_EQ(edits[i].kind, ComponentHandler::Edit::kPerform);
        const double value = edits[edits.size() - 2].value;
        if (c.value < 0)
            EXPECT_GT(value, 0.2);
        else
            EXPECT_NEAR(value, c.value, 1e-6);
    }
}

TEST_F(EditorWindow, ShiftDragsInFineStepsAndTheWheelEditsToo)
{
    open();
    auto dragBy = [&](WPARAM modifier) {
        controller->setParamNormalized(kVcfFreq, 0.2);
        pump(50);
        host.post(WM_LBUTTONDOWN, MK_LBUTTON | modifier, 447, 150);
        host.post(WM_MOUSEMOVE, MK_LBUTTON | modifier, 447, 130);
        host.post(WM_LBUTTONUP, modifier, 447, 130);
        return controller->getParamNormalized(kVcfFreq) - 0.2;
    };
    const double normal = dragBy(0);
    const double fine = dragBy(MK_SHIFT);
    EXPECT_GT(normal, 0);
    EXPECT_GT(fine, 0);
    EXPECT_LT(fine, normal / 2);

    takeEdits(kVcfFreq);
    POINT screen{447, 150};
    ClientToScreen(host.editor(), &screen);
    PostMessageW(host.editor(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                 MAKELPARAM(screen.x, screen.y));
    pump(50);
    const std::vector<ComponentHandler::Edit> edits = takeEdits(kVcfFreq);
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_GT(edits[1].value, 0.2);
}

TEST_F(EditorWindow, Vst2EntryOpensTheEditorInTheHostsWindow)
{
    if (!BRASK_BUNDLE_HAS_VST2) GTEST_SKIP() << "built without the VST 2 entry";
    Vst2Test::Vst2Module& module = Vst2Test::Vst2Module::shared();
    Vst2Test::EntryPoint entry = module.entry("VSTPluginMain");
    ASSERT_NE(entry, nullptr) << module.error;
    AEffect* effect = entry(Vst2Test::hostCallback);
    ASSERT_NE(effect, nullptr);
    Vst2Test::Vst2Instance instance(effect);
    instance.start(48000.0f, 256);
    ERect* rect = nullptr;
    ASSERT_EQ(instance.dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, kWidth);
    EXPECT_EQ(rect->bottom - rect->top, kHeight);

    ASSERT_EQ(instance.dispatch(effEditOpen, 0, 0, host.handle()), 1);
    for (int i = 0; i < 10; ++i)
    {
        instance.dispatch(effEditIdle);
        pump(20);
    }
    ASSERT_NE(host.editor(), nullptr);
    const Picture reference = readPNG(BRASK_EDITOR_REFERENCE_DIR "/editor.png");
    ASSERT_EQ(reference.width, kWidth);
    EXPECT_LT(mismatch(host.screenshot(), reference, kTolerance), 0.02);

    instance.dispatch(effEditClose);
    pump(20);
    EXPECT_EQ(host.editor(), nullptr);
}

TEST_F(EditorWindow, TimerTicksOnlyWhileSomethingMoves)
{
    open();
    EXPECT_EQ(pump(300), 0) << "idle";
    // The about panel fades in, then stands still.
    PostMessageW(host.editor(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(631, 44));
    PostMessageW(host.editor(), WM_LBUTTONUP, 0, MAKELPARAM(631, 44));
    EXPECT_GT(pump(1500), 0) << "fading in";
    EXPECT_EQ(pump(300), 0) << "panel shown";
    host.post(WM_LBUTTONDOWN, MK_LBUTTON, 400, 200);
    host.post(WM_LBUTTONUP, 0, 400, 200);
    pump(1500);
    // Typing: the caret blinks until Escape ends it.
    host.post(WM_LBUTTONDOWN, MK_LBUTTON, 447, 218);
    host.post(WM_LBUTTONUP, 0, 447, 218);
    EXPECT_GT(pump(1200), 0) << "caret";
    PostMessageW(host.editor(), WM_KEYDOWN, VK_ESCAPE, 1);
    pump(50);
    EXPECT_EQ(pump(300), 0) << "typing ended";
}

struct Resources
{
    DWORD gdiObjects, handles;
    int windows;
};

BOOL CALLBACK countWindow(HWND window, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(window, countWindow, count);
    return TRUE;
}

// Wine answers GetGuiResources and GetProcessHandleCount with 0; there the GDI objects are
// counted by asking the type of every handle index, and the kernel handles through the
// system's handle table.
DWORD gdiObjectsInUse()
{
    if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
    DWORD count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++count;
    return count;
}

DWORD handlesInUse()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count) return count;
    struct Entry
    {
        ULONG process;
        UCHAR type, flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    std::vector<ULONG_PTR> table(1 << 18);
    ULONG length = 0;
    constexpr auto kSystemHandleInformation = SYSTEM_INFORMATION_CLASS(16);
    if (NtQuerySystemInformation(kSystemHandleInformation, table.data(),
                                 ULONG(table.size() * sizeof(ULONG_PTR)), &length) != 0)
        return 0;
    const ULONG entries = *reinterpret_cast<const ULONG*>(table.data());
    const auto* entry = reinterpret_cast<const Entry*>(table.data() + 1);
    for (ULONG i = 0; i < entries; ++i)
        if (entry[i].process == GetCurrentProcessId()) ++count;
    return count;
}

Resources resourcesInUse()
{
    Resources r{};
    r.gdiObjects = gdiObjectsInUse();
    r.handles = handlesInUse();
    EnumThreadWindows(GetCurrentThreadId(), countWindow, reinterpret_cast<LPARAM>(&r.windows));
    return r;
}

/** True while the module has its editor window class registered. */
bool editorClassRegistered()
{
    HMODULE module = GetModuleHandleW(L"Tarvik-Brask.vst3");
    wchar_t name[64];
    std::swprintf(name, 64, L"VSTGUIEditor%p", static_cast<void*>(module));
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    return module && GetClassInfoExW(module, name, &info);
}

TEST_F(EditorWindow, HundredOpenCloseCyclesLeaveNothingBehind)
{
    // One cycle first: what a process loads once (system DLLs, fonts) is not a leak.
    open();
    EXPECT_TRUE(editorClassRegistered());
    close();
    EXPECT_FALSE(editorClassRegistered());
    const Resources before = resourcesInUse();
    // Hosts close the window and keep the view, or release the view too; both, mixed. (A new
    // view decodes every bitmap, which takes Wine long: one in ten cycles makes one.)
    for (int i = 0; i < 100; ++i)
    {
        if (!view) view = owned(controller->createView(ViewType::kEditor));
        ASSERT_TRUE(view);
        ASSERT_EQ(view->attached(host.handle(), kPlatformTypeHWND), kResultOk);
        pump(20);
        host.post(WM_MOUSEMOVE, 0, 100, 100);
        ASSERT_EQ(view->removed(), kResultOk);
        if (i % 10 == 9) view = nullptr;
    }
    pump(20);
    const Resources after = resourcesInUse();
    std::printf("before: %lu GDI objects, %lu handles, %d windows; after: %lu, %lu, %d\n",
                before.gdiObjects, before.handles, before.windows, after.gdiObjects, after.handles,
                after.windows);
    EXPECT_GT(before.gdiObjects, 0u);
    EXPECT_GT(before.handles, 0u);
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(host.editor(), nullptr);
    EXPECT_FALSE(editorClassRegistered());
}

} // namespace
