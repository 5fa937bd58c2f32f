// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPlugFrame.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

TestPlugFrame::TestPlugFrame() : counting(kitRunLoop(), timerRegistrations) {}

Linux::IRunLoop& TestPlugFrame::kitRunLoop()
{
    void* loop = nullptr;
    runLoop().queryInterface(Linux::IRunLoop::iid, &loop);
    return *static_cast<Linux::IRunLoop*>(loop);
}

tresult PLUGIN_API TestPlugFrame::resizeView(IPlugView* view, ViewRect* newSize)
{
    if (!view || !newSize) return kInvalidArgument;
    ++resizes;
    lastResize = *newSize;
    return PlugFrame::resizeView(view, newSize);
}

tresult PLUGIN_API TestPlugFrame::queryInterface(const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid))
    {
        *obj = offerRunLoop ? static_cast<Linux::IRunLoop*>(&counting) : nullptr;
        return offerRunLoop ? kResultOk : kNoInterface;
    }
    return PlugFrame::queryInterface(iid, obj);
}

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
