// SPDX-License-Identifier: GPL-3.0-or-later
// The VST 2.4 entry of the module: VSTPluginMain, also exported as "main" for older Linux hosts.
// Each call builds one instance through the module's own class factory.
#include "Vst2Entry.h"
#include "Vst2Effect.h"

#include "BraskCids.h"
#include "EngineState.h"

#include "public.sdk/source/main/moduleinit.h"

extern "C" Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory();

namespace Steinberg {
namespace Vst {
namespace Tarvik {

// The entry renders busy blocks in pieces of at most this many note events, so that the
// instrument, which keeps no more per process call, takes every one.
static_assert(Vst2Effect::kMaxPieceEvents <= Synth::kMaxBlockEvents,
              "a piece's events fit the engine");

AEffect* createEffectInstance(audioMasterCallback host)
{
    IPluginFactory* factory = GetPluginFactory();
    if (!factory) return nullptr;
    Vst2Effect* effect =
        Vst2Effect::create(factory, kBraskProcessorUID.toTUID(), kVst2UniqueId, host);
    factory->release(); // the effect holds its own reference
    return effect ? effect->effect() : nullptr;
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg

extern "C" SMTG_EXPORT_SYMBOL AEffect* VSTPluginMain(audioMasterCallback host)
{
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    if (!InitModule()) return nullptr;
    return Steinberg::Vst::Tarvik::createEffectInstance(host);
}

#ifndef _WIN32
// The same function under the name older Linux hosts look up. C++ does not allow a function
// called main that is not the program's, so the symbol is named through the assembler.
extern "C" SMTG_EXPORT_SYMBOL AEffect* vstPluginMainAlias(audioMasterCallback host) asm("main");
extern "C" AEffect* vstPluginMainAlias(audioMasterCallback host)
{
    return VSTPluginMain(host);
}
#endif // Windows modules export exactly their entry points (source/module/exports.def)
