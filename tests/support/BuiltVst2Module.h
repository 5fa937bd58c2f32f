// SPDX-License-Identifier: GPL-3.0-or-later
// The built module as a VST 2 host loads it: dlopen or LoadLibraryW of the module inside the
// bundle, then its entry point (VSTPluginMain, or main on Linux).
#pragma once

#include "BuiltBundle.h"
#include "SharedLibrary.h"
#include "Vst2Instance.h"

#include <memory>
#include <string>

namespace Vst2Test {

class Vst2Module
{
public:
    Vst2Module()
    {
        library.open(Steinberg::Vst::Tarvik::Host::PluginModule::resolveModulePath(
                         Steinberg::Vst::Tarvik::TestSupport::kBuiltBundlePath),
                     error);
    }
    Vst2Module(const Vst2Module&) = delete;
    Vst2Module& operator=(const Vst2Module&) = delete;

    /** The module, opened once for the test program. */
    static Vst2Module& shared()
    {
        static Vst2Module module;
        return module;
    }

    EntryPoint entry(const char* name) const
    {
        return reinterpret_cast<EntryPoint>(library.symbol(name));
    }

    /** A new effect through the named entry point, answered by hostCallback; null when the
     *  module or the entry point is missing or the entry gives no effect. */
    std::unique_ptr<Vst2Instance> openEffect(const char* entryName = "VSTPluginMain") const
    {
        EntryPoint found = entry(entryName);
        AEffect* effect = found ? found(hostCallback) : nullptr;
        return effect ? std::make_unique<Vst2Instance>(effect) : nullptr;
    }

    /** A new effect, set up for the rate and block size and resumed, as a host starts it. */
    std::unique_ptr<Vst2Instance> startedEffect(float sampleRate, int blockSize) const
    {
        std::unique_ptr<Vst2Instance> instance = openEffect();
        if (instance) instance->start(sampleRate, blockSize);
        return instance;
    }

    std::string error;

private:
    Steinberg::Vst::Tarvik::Host::SharedLibrary library;
};

} // namespace Vst2Test
