// SPDX-License-Identifier: GPL-3.0-or-later
// Win32Window: the editor's child window inside the host's HWND. Windows delivers its input,
// paint requests and timer ticks through the host's own message loop, so nothing polls and no
// thread runs. Painting goes through a back buffer (a DIB section drawn with GDI+ and copied
// to the screen in one BitBlt), so the window never flickers. The window class is registered
// with the first window and unregistered with the last.
#pragma once

#include "platform/IPlatformWindow.h"

#include <cstdint>
#include <memory>

namespace VSTGUI {

class Win32Window : public IPlatformWindow
{
public:
    /** Null when the parent is not a window or the window cannot be made. */
    static std::unique_ptr<Win32Window> create(void* parentWindow, IPlatformFrameCallback* callback,
                                               const CPoint& editorSize, double scale);
    ~Win32Window() override;

    /** The window's HWND (null once closed). */
    void* getHandle() const;

    void invalidRect(const CRect& rect) override;
    void startTimer(std::uint32_t milliseconds) override;
    void stopTimer() override;
    bool isTimerRunning() const override;
    void setKeyboardFocus(bool take) override;
    std::uint64_t getTicks() const override;
    void setContentScale(double scale) override;
    void close() override;
    bool isDispatching() const override;

    struct Impl;

private:
    explicit Win32Window(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl;
};

} // namespace VSTGUI
