// SPDX-License-Identifier: GPL-3.0-or-later
// A VST 3 module whose only processor is an effect: brask-render must refuse it.
#include "public.sdk/source/main/pluginfactory.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"

#include <cstring>

using namespace Steinberg;

namespace {

FUnknown* createNothing(void*)
{
    return nullptr;
}

} // namespace

// A new factory for every call; the caller's release deletes it.
extern "C" __attribute__((visibility("default"))) IPluginFactory* PLUGIN_API GetPluginFactory()
{
    PFactoryInfo info("Test", "", "", PFactoryInfo::kUnicode);
    auto* factory = new CPluginFactory(info);
    const TUID cid = INLINE_UID(0x1A2B3C4D, 0x10203040, 0x50607080, 0x90A0B0C0);
    PClassInfo2 effect(cid, PClassInfo::kManyInstances, kVstAudioEffectClass, "Echo", 0, "Fx|Delay",
                       "Test", "1.0.0", kVstVersionString);
    factory->registerClass(&effect, createNothing);
    return factory;
}
