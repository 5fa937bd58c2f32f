// SPDX-License-Identifier: GPL-3.0-or-later
// A private X server for tests that open windows: an Xvfb that picks a free display number
// itself (-displayfd), so that test programs running side by side never race for one, and that
// ends with its owner: stopped by the destructor, and by the kernel should the test crash.
#pragma once

#include <string>
#include <sys/types.h>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

class XServer
{
public:
    /** The test program's server, started on first use; DISPLAY names it from then on, so that
     *  the editor and the test's own connections reach it. */
    static XServer& shared();

    XServer() = default;
    ~XServer() { stop(); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    /** Starts Xvfb and waits until it takes connections; false with the reason in error(). The
     *  server lives as long as the calling thread does. */
    bool start();
    void stop();

    bool running() const { return pid > 0; }
    /** The display name, ":N", once running. */
    const std::string& display() const { return name; }
    const std::string& error() const { return failure; }

private:
    pid_t pid = -1;
    std::string name;
    std::string failure;
};

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
