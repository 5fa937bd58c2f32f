// SPDX-License-Identifier: GPL-3.0-or-later
// The LV2 entry points of the module: lv2_descriptor for the instrument and lv2ui_descriptor for
// its editor. Each instance, plug-in or UI, is built through the module's own class factory and
// keeps everything it needs in itself: the two meet only through the host's port protocol.
// The module links this file as an object: nothing in it calls these functions.
#include "Lv2Editor.h"
#include "Lv2Instrument.h"

#include "BraskCids.h"
#include "EngineState.h"

#include "public.sdk/source/main/moduleinit.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>

#include <cstring>

extern "C" Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory();

// Busy blocks are rendered in pieces of at most this many note events, so that the instrument,
// which keeps no more per process call, takes every one.
static_assert(Steinberg::Vst::Tarvik::Lv2::Lv2Instrument::kMaxPieceEvents <=
                  Steinberg::Vst::Tarvik::Synth::kMaxBlockEvents,
              "a piece's events fit the engine");

namespace {

using Steinberg::IPluginFactory;
using Steinberg::Vst::Tarvik::kBraskProcessorUID;
using Steinberg::Vst::Tarvik::Lv2::Lv2Editor;
using Steinberg::Vst::Tarvik::Lv2::Lv2Instrument;

/** The module's factory, initialised as every entry point does; null when it cannot be. */
IPluginFactory* moduleFactory()
{
    return InitModule() ? GetPluginFactory() : nullptr;
}

Lv2Instrument* instrumentOf(LV2_Handle handle)
{
    return static_cast<Lv2Instrument*>(handle);
}

LV2_Handle instantiate(const LV2_Descriptor* /*descriptor*/, double sampleRate,
                       const char* /*bundlePath*/, const LV2_Feature* const* features)
{
    IPluginFactory* factory = moduleFactory();
    if (!factory) return nullptr;
    auto instrument =
        Lv2Instrument::create(factory, kBraskProcessorUID.toTUID(), sampleRate, features);
    factory->release(); // the instance holds its own references
    return instrument.release();
}

void connectPort(LV2_Handle handle, uint32_t port, void* data)
{
    instrumentOf(handle)->connectPort(port, data);
}

void activate(LV2_Handle handle)
{
    instrumentOf(handle)->activate();
}

void run(LV2_Handle handle, uint32_t samples)
{
    instrumentOf(handle)->run(samples);
}

void deactivate(LV2_Handle handle)
{
    instrumentOf(handle)->deactivate();
}

void cleanup(LV2_Handle handle)
{
    delete instrumentOf(handle);
}

LV2_State_Status save(LV2_Handle handle, LV2_State_Store_Function store,
                      LV2_State_Handle stateHandle, uint32_t /*flags*/,
                      const LV2_Feature* const* /*features*/)
{
    return instrumentOf(handle)->save(store, stateHandle);
}

LV2_State_Status restore(LV2_Handle handle, LV2_State_Retrieve_Function retrieve,
                         LV2_State_Handle stateHandle, uint32_t /*flags*/,
                         const LV2_Feature* const* /*features*/)
{
    return instrumentOf(handle)->restore(retrieve, stateHandle);
}

const void* extensionData(const char* uri)
{
    static const LV2_State_Interface state = {save, restore};
    if (uri && std::strcmp(uri, LV2_STATE__interface) == 0) return &state;
    return nullptr;
}

Lv2Editor* editorOf(LV2UI_Handle handle)
{
    return static_cast<Lv2Editor*>(handle);
}

LV2UI_Handle instantiateUi(const LV2UI_Descriptor* /*descriptor*/, const char* /*pluginUri*/,
                           const char* /*bundlePath*/, LV2UI_Write_Function write,
                           LV2UI_Controller controller, LV2UI_Widget* widget,
                           const LV2_Feature* const* features)
{
    if (!widget) return nullptr;
    IPluginFactory* factory = moduleFactory();
    if (!factory) return nullptr;
    auto editor =
        Lv2Editor::create(factory, kBraskProcessorUID.toTUID(), write, controller, features);
    factory->release();
    if (!editor) return nullptr;
    *widget = editor->widget();
    return editor.release();
}

void cleanupUi(LV2UI_Handle handle)
{
    delete editorOf(handle);
}

void portEvent(LV2UI_Handle handle, uint32_t port, uint32_t size, uint32_t format,
               const void* buffer)
{
    editorOf(handle)->portEvent(port, size, format, buffer);
}

int idle(LV2UI_Handle handle)
{
    return editorOf(handle)->idle();
}

const void* uiExtensionData(const char* uri)
{
    static const LV2UI_Idle_Interface idleInterface = {idle};
    if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idleInterface;
    return nullptr;
}

} // namespace

extern "C" {

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    static const LV2_Descriptor descriptor = {
        Steinberg::Vst::Tarvik::Lv2::kPluginUri,
        instantiate,
        connectPort,
        activate,
        run,
        deactivate,
        cleanup,
        extensionData,
    };
    return index == 0 ? &descriptor : nullptr;
}

LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index)
{
    static const LV2UI_Descriptor descriptor = {
        Steinberg::Vst::Tarvik::Lv2::kUiUri, instantiateUi, cleanupUi, portEvent, uiExtensionData,
    };
    return index == 0 ? &descriptor : nullptr;
}

} // extern "C"
