// SPDX-License-Identifier: GPL-3.0-or-later
// RunLoop: the run loop a host lends the views it embeds. On Linux it is the view's
// Steinberg::Linux::IRunLoop: the view registers its X connection's file descriptor and its
// timers, and run() serves, on the host's UI thread, the descriptors that are ready and the timers
// that are due. On Windows a view gets its messages through the host's own message loop: there is
// nothing to lend and nothing to serve. What differs lies in RunLoopLinux.cpp / RunLoopNone.cpp.
#pragma once

#include "pluginterfaces/base/funknown.h"

#include <cstddef>
#include <memory>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

class RunLoop
{
public:
    RunLoop();
    /** Lets go of every handler still registered. */
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    /** Serves ready descriptors and due timers, waiting for them up to `milliseconds`; 0 serves
        what is ready now. Handlers may register and unregister others while being served. */
    void run(int milliseconds);

    /** Lets go of every handler: a view that is gone cannot unregister its own. */
    void clear();

    std::size_t eventHandlerCount() const;
    std::size_t timerCount() const;

    /** The run loop interface for a view that asks its frame for it; kNoInterface where the
        platform lends none. */
    tresult queryInterface(const TUID iid, void** obj);

private:
    class Platform;
    std::unique_ptr<Platform> platform;
};

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
