// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/offscreen/OffscreenRender.h"

namespace VSTGUI {

void OffscreenPlatformFrame::advance(std::uint64_t milliseconds)
{
    while (milliseconds > 0)
    {
        if (sinceTick >= timerInterval) sinceTick = 0;
        std::uint64_t step = timerInterval
                                 ? std::min<std::uint64_t>(milliseconds, timerInterval - sinceTick)
                                 : milliseconds;
        ticks += step;
        milliseconds -= step;
        if (!timerInterval)
        {
            sinceTick = 0;
            continue;
        }
        sinceTick += step;
        if (sinceTick >= timerInterval)
        {
            sinceTick = 0;
            if (callback) callback->platformOnTimer();
        }
    }
}

} // namespace VSTGUI
