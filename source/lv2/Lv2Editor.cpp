// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lv2Editor.h"

#include "pluginterfaces/gui/iplugview.h"

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Lv2 {

namespace {

const void* feature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f && *f; ++f)
    {
        if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
    }
    return nullptr;
}

/** The window the view made in the parent: its newest child. Hosts that wrap X11 UIs size and
    map that window by the id the UI hands back. */
uintptr_t newestChild(uintptr_t parent)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    uintptr_t child = 0;
    if (connection && !xcb_connection_has_error(connection))
    {
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(
            connection, xcb_query_tree(connection, static_cast<xcb_window_t>(parent)), nullptr);
        if (tree)
        {
            const int count = xcb_query_tree_children_length(tree);
            if (count > 0) child = xcb_query_tree_children(tree)[count - 1];
            std::free(tree);
        }
    }
    if (connection) xcb_disconnect(connection);
    return child;
}

} // namespace

std::unique_ptr<Lv2Editor> Lv2Editor::create(IPluginFactory* factory, const TUID processorClassId,
                                             LV2UI_Write_Function write,
                                             LV2UI_Controller controller,
                                             const LV2_Feature* const* features)
{
    if (!factory || !write) return nullptr;
    std::unique_ptr<Lv2Editor> editor(new Lv2Editor);
    editor->write = write;
    editor->hostController = controller;
    if (!editor->open(factory, processorClassId, features)) return nullptr;
    return editor;
}

bool Lv2Editor::open(IPluginFactory* factory, const TUID processorClassId,
                     const LV2_Feature* const* features)
{
    const void* parent = feature(features, LV2_UI__parent);
    if (!parent) return false; // the editor only embeds
    touch = static_cast<const LV2UI_Touch*>(feature(features, LV2_UI__touch));

    std::string error;
    instance = Hosting::PluginInstance::create(factory, processorClassId, this, error);
    if (!instance) return false;
    view = instance->controller()->createView(kViewName);
    if (!view) return false;
    if (view->isPlatformTypeSupported(kPlatformTypeX11EmbedWindowID) != kResultTrue) return false;
    view->setFrame(&frame);
    if (view->attached(const_cast<void*>(parent), kPlatformTypeX11EmbedWindowID) != kResultOk)
    {
        view->setFrame(nullptr);
        return false;
    }
    attached = true;
    window = newestChild(reinterpret_cast<uintptr_t>(parent));

    // The editor has one size; hosts that offer it make the parent fit.
    ViewRect size{};
    const auto* resize = static_cast<const LV2UI_Resize*>(feature(features, LV2_UI__resize));
    if (resize && resize->ui_resize && view->getSize(&size) == kResultOk)
        resize->ui_resize(resize->handle, size.getWidth(), size.getHeight());
    return true;
}

Lv2Editor::~Lv2Editor()
{
    if (view)
    {
        if (attached) view->removed();
        view->setFrame(nullptr);
        view->release();
    }
    frame.runLoop().clear(); // a view that is gone cannot unregister its own
    instance.reset();
}

uint32_t Lv2Editor::portOf(ParamID id)
{
    for (uint32_t port = kFirstControlPort; port < kPortCount; ++port)
    {
        if (controlPort(port)->parameterId == id) return port;
    }
    return 0;
}

void Lv2Editor::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer)
{
    const ControlPort* control = controlPort(port);
    if (!control || format != 0 || size != sizeof(float) || !buffer) return;
    float value = 0.0f;
    std::memcpy(&value, buffer, sizeof value);
    if (!std::isfinite(value)) return;
    instance->controller()->setParamNormalized(control->parameterId, toNormalized(*control, value));
}

int Lv2Editor::idle()
{
    frame.runLoop().run(0);
    return 0;
}

tresult PLUGIN_API Lv2Editor::beginEdit(ParamID id)
{
    const uint32_t port = portOf(id);
    if (!port) return kInvalidArgument;
    if (touch && touch->touch) touch->touch(touch->handle, port, true);
    return kResultOk;
}

tresult PLUGIN_API Lv2Editor::performEdit(ParamID id, ParamValue value)
{
    const uint32_t port = portOf(id);
    if (!port || !std::isfinite(value)) return kInvalidArgument;
    const float portValue = toPortValue(*controlPort(port), value);
    write(hostController, port, sizeof portValue, 0, &portValue);
    return kResultOk;
}

tresult PLUGIN_API Lv2Editor::endEdit(ParamID id)
{
    const uint32_t port = portOf(id);
    if (!port) return kInvalidArgument;
    if (touch && touch->touch) touch->touch(touch->handle, port, false);
    return kResultOk;
}

tresult PLUGIN_API Lv2Editor::restartComponent(int32 /*flags*/)
{
    // The host holds the values (the ports): there is nothing to read again.
    return kResultOk;
}

} // namespace Lv2
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
