// SPDX-License-Identifier: GPL-3.0-or-later
// Platforms whose views take their messages from the system (Windows): no run loop to lend.
#include "RunLoop.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

class RunLoop::Platform
{};

RunLoop::RunLoop() = default;
RunLoop::~RunLoop() = default;

void RunLoop::run(int /*milliseconds*/) {}
void RunLoop::clear() {}

std::size_t RunLoop::eventHandlerCount() const
{
    return 0;
}

std::size_t RunLoop::timerCount() const
{
    return 0;
}

tresult RunLoop::queryInterface(const TUID /*iid*/, void** obj)
{
    *obj = nullptr;
    return kNoInterface;
}

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
