// SPDX-License-Identifier: GPL-3.0-or-later
// A host's side of a window on Windows: its own top-level window, the message loop it runs, and
// what a window shows, read back from the screen as the user sees it.
#pragma once

#include "Picture.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

/** Handles every message queued or arriving within `milliseconds`; returns how many of them
 *  were timer ticks. */
inline int pumpMessages(int milliseconds)
{
    int ticks = 0;
    const ULONGLONG end = GetTickCount64() + ULONGLONG(milliseconds);
    do
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            if (message.message == WM_TIMER) ++ticks;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount64() < end);
    return ticks;
}

/** A visible top-level window of `width` x `height` (frame included) at the screen's corner, of
 *  a window class registered here under `className` with `procedure`. */
inline HWND openHostWindow(const wchar_t* className, WNDPROC procedure, const wchar_t* title,
                           int width, int height)
{
    WNDCLASSW description{};
    description.lpfnWndProc = procedure;
    description.hInstance = GetModuleHandleW(nullptr);
    description.lpszClassName = className;
    RegisterClassW(&description);
    return CreateWindowW(className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, width, height,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

/** The client area of `window`; an empty picture where there is no window. */
inline Picture pictureOfWindow(HWND window)
{
    Picture picture;
    RECT area{};
    if (!window || !GetClientRect(window, &area)) return picture;
    picture.width = area.right;
    picture.height = area.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ before = SelectObject(memory, target);
    HDC screen = GetDC(window);
    BitBlt(memory, 0, 0, picture.width, picture.height, screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    picture.pixels.assign(pixels, pixels + std::size_t(picture.width) * picture.height);
    for (std::uint32_t& p : picture.pixels)
        p &= 0xFFFFFF;
    SelectObject(memory, before);
    DeleteDC(memory);
    DeleteObject(target);
    return picture;
}

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
