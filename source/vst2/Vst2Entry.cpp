// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument behind the VST 2 entry: each call builds one instance through the module's own
// class factory.
#include "Vst2Entry.h"
#include "Vst2Effect.h"

#include "BraskCids.h"
#include "EngineState.h"

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
