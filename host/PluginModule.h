// SPDX-License-Identifier: GPL-3.0-or-later
// A loaded VST 3 module, entered as hosts on its platform do: opened, then ModuleEntry (Linux) or
// InitDll (Windows), then GetPluginFactory; and left in the reverse order.
#pragma once

#include "SharedLibrary.h"

#include "pluginterfaces/base/ipluginbase.h"

#include <memory>
#include <string>

namespace Steinberg::Vst::Tarvik::Host {

class PluginModule
{
public:
    /** Loads a bundle folder (Name.vst3) or a module file directly. On failure returns null and
        says why in error. */
    static std::unique_ptr<PluginModule> load(const std::string& path, std::string& error);

    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    /** The module's factory; the module holds one reference for its lifetime. */
    IPluginFactory* factory() const { return pluginFactory; }
    /** The module file that was opened. */
    const std::string& modulePath() const { return path; }
    /** Looks up an exported symbol of the module. */
    void* symbol(const char* name) const;

    /** The module file inside a bundle folder for this machine; the path itself otherwise. */
    static std::string resolveModulePath(const std::string& path);

private:
    PluginModule() = default;

    std::string path;
    SharedLibrary library;
    const char* exitName = nullptr; ///< the exit matching the entry that was called
    IPluginFactory* pluginFactory = nullptr;
};

} // namespace Steinberg::Vst::Tarvik::Host
