// SPDX-License-Identifier: GPL-3.0-or-later
#include "Vst2EditorHost.h"

#include <algorithm>
#include <limits>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

#if SMTG_OS_WINDOWS
const FIDString kHostWindowType = kPlatformTypeHWND;
#else
const FIDString kHostWindowType = kPlatformTypeX11EmbedWindowID;
#endif

short toShort(int32 value)
{
    return static_cast<short>(
        std::min<int32>(std::max<int32>(value, 0), std::numeric_limits<short>::max()));
}

} // namespace

Vst2EditorHost::Vst2EditorHost(audioMasterCallback host, AEffect* effect)
    : host(host), effect(effect)
{}

Vst2EditorHost::~Vst2EditorHost()
{
    close();
    releaseView();
    runLoop().clear();
}

IPlugView* Vst2EditorHost::ensureView(IEditController* controller)
{
    if (view || !controller) return view;
    view = controller->createView(kViewName);
    if (view && view->isPlatformTypeSupported(kHostWindowType) != kResultTrue) releaseView();
    return view;
}

void Vst2EditorHost::releaseView()
{
    if (!view) return;
    view->release();
    view = nullptr;
}

bool Vst2EditorHost::available(IEditController* controller)
{
    const bool hadView = view != nullptr;
    const bool found = ensureView(controller) != nullptr;
    if (!hadView) releaseView(); // asked only to learn whether there is one
    return found;
}

bool Vst2EditorHost::getRect(IEditController* controller, ERect** out)
{
    if (!out) return false;
    *out = nullptr;
    IPlugView* current = ensureView(controller);
    ViewRect size{};
    if (!current || current->getSize(&size) != kResultOk) return false;
    rect.top = 0;
    rect.left = 0;
    rect.bottom = toShort(size.getHeight());
    rect.right = toShort(size.getWidth());
    *out = &rect;
    return true;
}

bool Vst2EditorHost::open(IEditController* controller, void* parentWindow)
{
    if (attached) close();
    if (!parentWindow) return false;
    IPlugView* current = ensureView(controller);
    if (!current) return false;
    current->setFrame(this);
    if (current->attached(parentWindow, kHostWindowType) != kResultOk)
    {
        current->setFrame(nullptr);
        releaseView();
        runLoop().clear();
        return false;
    }
    attached = true;
    return true;
}

void Vst2EditorHost::close()
{
    if (!view) return;
    if (attached) view->removed();
    attached = false;
    view->setFrame(nullptr);
    releaseView(); // a fresh view for the next open, as VST 3 hosts do
    runLoop().clear();
}

tresult PLUGIN_API Vst2EditorHost::resizeView(IPlugView* resized, ViewRect* newSize)
{
    if (!resized || resized != view || !newSize) return kInvalidArgument;
    if (host)
        host(effect, audioMasterSizeWindow, newSize->getWidth(), newSize->getHeight(), nullptr,
             0.0f);
    return resized->onSize(newSize);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
