// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/Win32Window.h"

#include "platform/gdiplus/GdiplusDrawContext.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace VSTGUI {

using namespace Steinberg;

namespace {

constexpr UINT_PTR kTimerId = 1;

HMODULE ownModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ownModule), &module);
    return module;
}

/** The class is this module's own: two copies of the module in one host (a VST 3 and a VST 2
 *  one) each register theirs. */
struct WindowClass
{
    int windows = 0;
    ATOM atom = 0;
    wchar_t name[64] = {};
};

WindowClass& windowClass()
{
    static WindowClass instance;
    return instance;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool retainWindowClass()
{
    WindowClass& shared = windowClass();
    if (shared.windows == 0)
    {
        std::swprintf(shared.name, sizeof(shared.name) / sizeof(wchar_t), L"VSTGUIEditor%p",
                      static_cast<void*>(ownModule()));
        WNDCLASSEXW description{};
        description.cbSize = sizeof(description);
        description.style = CS_DBLCLKS;
        description.lpfnWndProc = windowProcedure;
        description.hInstance = ownModule();
        description.hCursor = LoadCursor(nullptr, IDC_ARROW);
        description.lpszClassName = shared.name;
        shared.atom = RegisterClassExW(&description);
        if (!shared.atom) return false;
    }
    ++shared.windows;
    return true;
}

void releaseWindowClass()
{
    WindowClass& shared = windowClass();
    if (shared.windows == 0 || --shared.windows > 0) return;
    UnregisterClassW(shared.name, ownModule());
    shared.atom = 0;
}

std::uint64_t monotonicMilliseconds()
{
    return static_cast<std::uint64_t>(GetTickCount64());
}

int32_t modifiersOf(WPARAM keys)
{
    int32_t buttons = 0;
    if (keys & MK_SHIFT) buttons |= kShift;
    if (keys & MK_CONTROL) buttons |= kControl;
    if (GetKeyState(VK_MENU) < 0) buttons |= kAlt;
    return buttons;
}

int32_t buttonsOf(WPARAM keys)
{
    int32_t buttons = modifiersOf(keys);
    if (keys & MK_LBUTTON) buttons |= kLButton;
    if (keys & MK_MBUTTON) buttons |= kMButton;
    if (keys & MK_RBUTTON) buttons |= kRButton;
    return buttons;
}

/** The button a button message is about. */
CButton buttonOfMessage(UINT message)
{
    switch (message)
    {
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
        return kMButton;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
        return kRButton;
    default:
        return kLButton;
    }
}

unsigned char virtualKeyOf(WPARAM key, LPARAM flags)
{
    switch (key)
    {
    case VK_BACK:
        return VKEY_BACK;
    case VK_TAB:
        return VKEY_TAB;
    case VK_RETURN:
        // The keypad's Enter is the extended Return key.
        return (HIWORD(flags) & KF_EXTENDED) ? VKEY_ENTER : VKEY_RETURN;
    case VK_ESCAPE:
        return VKEY_ESCAPE;
    case VK_END:
        return VKEY_END;
    case VK_HOME:
        return VKEY_HOME;
    case VK_LEFT:
        return VKEY_LEFT;
    case VK_UP:
        return VKEY_UP;
    case VK_RIGHT:
        return VKEY_RIGHT;
    case VK_DOWN:
        return VKEY_DOWN;
    case VK_PRIOR:
        return VKEY_PAGEUP;
    case VK_NEXT:
        return VKEY_PAGEDOWN;
    case VK_DELETE:
        return VKEY_DELETE;
    default:
        return VKEY_NONE;
    }
}

unsigned char keyModifiers()
{
    unsigned char modifiers = 0;
    if (GetKeyState(VK_SHIFT) < 0) modifiers |= MODIFIER_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) modifiers |= MODIFIER_CONTROL;
    if (GetKeyState(VK_MENU) < 0) modifiers |= MODIFIER_ALTERNATE;
    return modifiers;
}

} // namespace

struct Win32Window::Impl
{
    IPlatformFrameCallback* callback = nullptr;
    std::shared_ptr<GdiplusSession> session;
    HWND parent = nullptr;
    HWND window = nullptr;
    bool classRetained = false;
    int dispatching = 0;
    bool timerRunning = false;
    // The window the keyboard focus came from while text is typed here.
    HWND focusBefore = nullptr;
    // Buttons pressed in the window: it holds the mouse capture while any is down.
    int buttonsDown = 0;
    CPoint lastMouse;
    // Windows reports the pointer leaving only when asked, once per entry.
    bool trackingLeave = false;

    // The back buffer: a top-down 32-bit DIB section in a memory DC.
    HDC bufferContext = nullptr;
    HBITMAP buffer = nullptr;
    HGDIOBJ bufferBefore = nullptr;
    void* bufferBits = nullptr;
    int bufferWidth = 0;
    int bufferHeight = 0;

    CPoint editorSize;
    double scale = 1.0;

    int deviceWidth() const { return std::max(1, int(std::lround(editorSize.x * scale))); }
    int deviceHeight() const { return std::max(1, int(std::lround(editorSize.y * scale))); }
    CPoint toEditor(LPARAM position) const
    {
        return CPoint(GET_X_LPARAM(position) / scale, GET_Y_LPARAM(position) / scale);
    }

    void releaseBuffer()
    {
        if (bufferContext)
        {
            SelectObject(bufferContext, bufferBefore);
            DeleteDC(bufferContext);
        }
        if (buffer) DeleteObject(buffer);
        bufferContext = nullptr;
        buffer = nullptr;
        bufferBits = nullptr;
        bufferWidth = bufferHeight = 0;
    }

    bool ensureBuffer()
    {
        if (buffer && bufferWidth == deviceWidth() && bufferHeight == deviceHeight()) return true;
        releaseBuffer();
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = deviceWidth();
        info.bmiHeader.biHeight = -deviceHeight();
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        buffer = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bufferBits, nullptr, 0);
        if (!buffer) return false;
        bufferContext = CreateCompatibleDC(nullptr);
        if (!bufferContext)
        {
            releaseBuffer();
            return false;
        }
        bufferBefore = SelectObject(bufferContext, buffer);
        bufferWidth = deviceWidth();
        bufferHeight = deviceHeight();
        return true;
    }

    void release()
    {
        if (window)
        {
            if (timerRunning) KillTimer(window, kTimerId);
            if (GetCapture() == window) ReleaseCapture();
            if (GetFocus() == window)
                SetFocus(focusBefore && IsWindow(focusBefore) ? focusBefore : parent);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            DestroyWindow(window);
            window = nullptr;
        }
        timerRunning = false;
        buttonsDown = 0;
        releaseBuffer();
        if (classRetained) releaseWindowClass();
        classRetained = false;
        session.reset();
    }

    /** Draws the invalid part into the back buffer and copies it to the screen. */
    void paint(HDC target, const RECT& area)
    {
        if (IsRectEmpty(&area) || !ensureBuffer()) return;
        {
            Gdiplus::Bitmap surface(bufferWidth, bufferHeight, bufferWidth * 4,
                                    PixelFormat32bppPARGB, static_cast<BYTE*>(bufferBits));
            Gdiplus::Graphics graphics(&surface);
            graphics.SetClip(
                Gdiplus::Rect(area.left, area.top, area.right - area.left, area.bottom - area.top));
            GdiplusDrawContext context(*session, graphics, scale);
            CRect update(std::floor(area.left / scale), std::floor(area.top / scale),
                         std::ceil(area.right / scale), std::ceil(area.bottom / scale));
            callback->platformDrawRect(context, update);
            graphics.Flush(Gdiplus::FlushIntentionSync);
        }
        BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top,
               bufferContext, area.left, area.top, SRCCOPY);
    }

    void mouseDown(int32_t button, WPARAM keys, LPARAM position, bool doubleClick)
    {
        if (buttonsDown == 0) SetCapture(window);
        buttonsDown |= button;
        lastMouse = toEditor(position);
        int32_t buttons = modifiersOf(keys) | button | (doubleClick ? kDoubleClick : 0);
        callback->platformOnMouseDown(lastMouse, buttons);
    }

    void mouseUp(int32_t button, WPARAM keys, LPARAM position)
    {
        if (!(buttonsDown & button)) return;
        buttonsDown &= ~button;
        lastMouse = toEditor(position);
        callback->platformOnMouseUp(lastMouse, modifiersOf(keys));
        if (buttonsDown == 0 && window && GetCapture() == window) ReleaseCapture();
    }

    /** Another window took the mouse (a host dialog, Alt+Tab): the drag ends where it was. */
    void captureLost()
    {
        if (buttonsDown == 0) return;
        buttonsDown = 0;
        callback->platformOnMouseUp(lastMouse, 0);
    }

    bool key(UINT message, WPARAM wParam, LPARAM lParam)
    {
        VstKeyCode code;
        code.modifier = keyModifiers();
        if (message == WM_CHAR)
        {
            // Control characters arrive as their keys in WM_KEYDOWN.
            if (wParam < 0x20 || wParam == 0x7F) return true;
            code.character = int32_t(wParam);
            return callback->platformOnKeyDown(code);
        }
        code.virt = virtualKeyOf(wParam, lParam);
        if (code.virt == VKEY_NONE) return false;
        bool pressed = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        return pressed ? callback->platformOnKeyDown(code) : callback->platformOnKeyUp(code);
    }

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
};

namespace {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* impl = reinterpret_cast<Win32Window::Impl*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!impl || !impl->window) return DefWindowProcW(window, message, wParam, lParam);
    ++impl->dispatching;
    LRESULT result = impl->handle(message, wParam, lParam);
    --impl->dispatching;
    return result;
}

} // namespace

LRESULT Win32Window::Impl::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND self = window;
    switch (message)
    {
    case WM_ERASEBKGND:
        return 1; // painting covers everything
    case WM_PAINT:
    {
        PAINTSTRUCT paintStruct;
        HDC target = BeginPaint(self, &paintStruct);
        if (target) paint(target, paintStruct.rcPaint);
        EndPaint(self, &paintStruct);
        return 0;
    }
    case WM_PRINTCLIENT:
    {
        RECT all{0, 0, deviceWidth(), deviceHeight()};
        paint(reinterpret_cast<HDC>(wParam), all);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        mouseDown(buttonOfMessage(message), wParam, lParam,
                  message == WM_LBUTTONDBLCLK || message == WM_MBUTTONDBLCLK ||
                      message == WM_RBUTTONDBLCLK);
        return 0;
    case WM_LBUTTONUP:
    case WM_MBUTTONUP:
    case WM_RBUTTONUP:
        mouseUp(buttonOfMessage(message), wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
        if (!trackingLeave)
        {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof(track);
            track.dwFlags = TME_LEAVE;
            track.hwndTrack = self;
            trackingLeave = TrackMouseEvent(&track) != FALSE;
        }
        lastMouse = toEditor(lParam);
        callback->platformOnMouseMoved(lastMouse, buttonsOf(wParam));
        return 0;
    case WM_MOUSELEAVE:
        trackingLeave = false;
        callback->platformOnMouseExited();
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != self) captureLost();
        return 0;
    case WM_MOUSEWHEEL:
    {
        // The position comes in screen coordinates.
        POINT where{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(self, &where);
        float notches = float(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
        if (!callback->platformOnMouseWheel(CPoint(where.x / scale, where.y / scale), notches,
                                            modifiersOf(GET_KEYSTATE_WPARAM(wParam))) &&
            window)
            return SendMessageW(parent, message, wParam, lParam);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kTimerId) callback->platformOnTimer();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
        // Keys the editor does not use while it holds the focus (host shortcuts while typing)
        // go on to the host's window.
        if (!key(message, wParam, lParam) && window)
            return SendMessageW(parent, message, wParam, lParam);
        return 0;
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != self) callback->platformOnFocusLost();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(self, message, wParam, lParam);
}

std::unique_ptr<Win32Window> Win32Window::create(void* parentWindow,
                                                 IPlatformFrameCallback* callback,
                                                 const CPoint& editorSize, double scale)
{
    auto parent = static_cast<HWND>(parentWindow);
    if (!callback || !parent || !IsWindow(parent)) return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->callback = callback;
    impl->parent = parent;
    impl->editorSize = editorSize;
    impl->scale = scale;
    impl->session = GdiplusSession::acquire();
    if (!impl->session) return nullptr;
    if (!retainWindowClass()) return nullptr;
    impl->classRetained = true;
    // The window pointer is set from WM_NCCREATE on; messages before it is returned find
    // impl->window still null and take the default path.
    HWND window = CreateWindowExW(
        0, windowClass().name, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
        impl->deviceWidth(), impl->deviceHeight(), parent, nullptr, ownModule(), impl.get());
    if (!window)
    {
        impl->release();
        return nullptr;
    }
    impl->window = window;
    std::unique_ptr<Win32Window> result(new Win32Window(std::move(impl)));
    return result;
}

Win32Window::Win32Window(std::unique_ptr<Impl> impl) : impl(std::move(impl)) {}

Win32Window::~Win32Window()
{
    impl->release();
}

void* Win32Window::getHandle() const
{
    return impl->window;
}

void Win32Window::invalidRect(const CRect& rect)
{
    if (!impl->window) return;
    double s = impl->scale;
    RECT area{std::max(0, int(std::floor(rect.left * s))),
              std::max(0, int(std::floor(rect.top * s))),
              std::min(impl->deviceWidth(), int(std::ceil(rect.right * s))),
              std::min(impl->deviceHeight(), int(std::ceil(rect.bottom * s)))};
    if (area.right <= area.left || area.bottom <= area.top) return;
    // Windows batches invalid areas into one WM_PAINT from the message loop.
    InvalidateRect(impl->window, &area, FALSE);
}

void Win32Window::startTimer(std::uint32_t milliseconds)
{
    if (!impl->window) return;
    impl->timerRunning =
        SetTimer(impl->window, kTimerId, std::max<UINT>(1, milliseconds), nullptr) != 0;
}

void Win32Window::stopTimer()
{
    if (!impl->timerRunning) return;
    if (impl->window) KillTimer(impl->window, kTimerId);
    impl->timerRunning = false;
}

bool Win32Window::isTimerRunning() const
{
    return impl->timerRunning;
}

void Win32Window::setKeyboardFocus(bool take)
{
    if (!impl->window) return;
    if (take)
    {
        HWND current = GetFocus();
        if (current == impl->window) return;
        impl->focusBefore = current;
        SetFocus(impl->window);
    }
    else if (GetFocus() == impl->window)
    {
        // The host gets the keys back: the window that had them, or the one we live in.
        HWND back =
            impl->focusBefore && IsWindow(impl->focusBefore) ? impl->focusBefore : impl->parent;
        impl->focusBefore = nullptr;
        SetFocus(back);
    }
}

std::uint64_t Win32Window::getTicks() const
{
    return monotonicMilliseconds();
}

void Win32Window::setContentScale(double scale)
{
    impl->scale = scale;
    if (!impl->window) return;
    SetWindowPos(impl->window, nullptr, 0, 0, impl->deviceWidth(), impl->deviceHeight(),
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    InvalidateRect(impl->window, nullptr, FALSE);
}

void Win32Window::close()
{
    impl->release();
}

bool Win32Window::isDispatching() const
{
    return impl->dispatching > 0;
}

bool isPlatformWindowTypeSupported(FIDString type)
{
    return type && std::strcmp(type, kPlatformTypeHWND) == 0;
}

std::unique_ptr<IPlatformWindow> createPlatformWindow(void* parent, FIDString type,
                                                      IPlugFrame* /*plugFrame*/,
                                                      IPlatformFrameCallback* callback,
                                                      const CPoint& editorSize, double scale)
{
    if (!isPlatformWindowTypeSupported(type)) return nullptr;
    return Win32Window::create(parent, callback, editorSize, scale);
}

} // namespace VSTGUI
