// SPDX-License-Identifier: GPL-3.0-or-later
#include "PluginModule.h"

#include <sys/stat.h>

namespace Steinberg::Vst::Tarvik::Host {

namespace {

using GetFactoryProc = IPluginFactory*(PLUGIN_API*)();
using ModuleEntryProc = bool (*)(void*);
using InitDllProc = bool (*)();
using ModuleExitProc = bool (*)();

bool isDirectory(const std::string& path)
{
    struct stat info
    {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string bundleName(const std::string& bundle)
{
    std::string name = bundle;
    while (!name.empty() && (name.back() == '/' || name.back() == '\\'))
        name.pop_back();
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    const std::string suffix = ".vst3";
    if (name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.resize(name.size() - suffix.size());
    return name;
}

} // namespace

std::string PluginModule::resolveModulePath(const std::string& path)
{
    if (!isDirectory(path)) return path;
    std::string bundle = path;
    while (bundle.size() > 1 && (bundle.back() == '/' || bundle.back() == '\\'))
        bundle.pop_back();
    return bundle + "/Contents/" + SharedLibrary::bundleArchitecture + "/" + bundleName(bundle) +
           SharedLibrary::moduleSuffix;
}

std::unique_ptr<PluginModule> PluginModule::load(const std::string& path, std::string& error)
{
    std::unique_ptr<PluginModule> module(new PluginModule());
    module->path = resolveModulePath(path);

    struct stat info
    {};
    if (stat(module->path.c_str(), &info) != 0)
    {
        error = "cannot find the plug-in module " + module->path;
        return nullptr;
    }

    std::string reason;
    if (!module->library.open(module->path, reason))
    {
        error = "cannot load " + module->path + " as a VST 3 module: " + reason;
        return nullptr;
    }

    auto getFactory = reinterpret_cast<GetFactoryProc>(module->symbol("GetPluginFactory"));
    if (!getFactory)
    {
        error = module->path + " is not a VST 3 module (no GetPluginFactory)";
        return nullptr;
    }

    // Linux modules offer ModuleEntry, Windows modules only InitDll.
    if (auto entry = reinterpret_cast<ModuleEntryProc>(module->symbol("ModuleEntry")))
    {
        if (!entry(module->library.handle()))
        {
            error = module->path + " refused to initialise (ModuleEntry failed)";
            return nullptr;
        }
        module->exitName = "ModuleExit";
    }
    else if (auto init = reinterpret_cast<InitDllProc>(module->symbol("InitDll")))
    {
        if (!init())
        {
            error = module->path + " refused to initialise (InitDll failed)";
            return nullptr;
        }
        module->exitName = "ExitDll";
    }

    module->pluginFactory = getFactory();
    if (!module->pluginFactory)
    {
        error = module->path + " has no class factory";
        return nullptr;
    }
    return module;
}

void* PluginModule::symbol(const char* name) const
{
    return library.symbol(name);
}

PluginModule::~PluginModule()
{
    if (pluginFactory) pluginFactory->release();
    if (exitName)
    {
        if (auto exit = reinterpret_cast<ModuleExitProc>(symbol(exitName))) exit();
    }
}

} // namespace Steinberg::Vst::Tarvik::Host
