// SPDX-License-Identifier: GPL-3.0-or-later
// The VST 2.4 entry of the module: VSTPluginMain, also exported as "main" for older Linux hosts.
// The module links this file as an object: nothing in it calls these functions.
#include "Vst2Entry.h"

#include "public.sdk/source/main/moduleinit.h"

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
