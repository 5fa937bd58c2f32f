// SPDX-License-Identifier: GPL-3.0-or-later
// X11Window: the editor's xcb child window inside the host's window (XEmbed client, version 0,
// mapped). It has its own X connection, whose descriptor it registers with the host's
// IRunLoop; the host calls back when events arrive, so nothing polls and no thread runs.
// Redraw requests become Expose events (cleared areas), so drawing always happens from the
// run loop, only for the invalid rectangles.
#pragma once

#include "platform/IPlatformWindow.h"

#include <cstdint>
#include <memory>

namespace VSTGUI {

class X11Window : public IPlatformWindow
{
public:
    /** Null when there is no X server, the parent window does not exist or the frame offers
     *  no IRunLoop. */
    static std::unique_ptr<X11Window> create(std::uint32_t parentWindow,
                                             Steinberg::IPlugFrame* plugFrame,
                                             IPlatformFrameCallback* callback,
                                             const CPoint& editorSize, double scale);
    ~X11Window() override;

    /** The window's X id. */
    std::uint32_t getWindowID() const;

    void invalidRect(const CRect& rect) override;
    void startTimer(std::uint32_t milliseconds) override;
    void stopTimer() override;
    bool isTimerRunning() const override;
    void setKeyboardFocus(bool take) override;
    std::uint64_t getTicks() const override;
    void setContentScale(double scale) override;
    void close() override;
    bool isDispatching() const override;

    /** Handles every pending X event (the run loop calls this when the descriptor is ready). */
    void processEvents();
    void onTimer();

private:
    struct Impl;
    explicit X11Window(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl;
};

} // namespace VSTGUI
