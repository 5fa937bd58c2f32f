// SPDX-License-Identifier: GPL-3.0-or-later
#include "SharedLibrary.h"

#include <dlfcn.h>

namespace Steinberg::Vst::Tarvik::Host {

const char* const SharedLibrary::bundleArchitecture = "x86_64-linux";
const char* const SharedLibrary::moduleSuffix = ".so";

bool SharedLibrary::open(const std::string& path, std::string& error)
{
    close();
    // RTLD_LOCAL: two plug-ins in one host never see each other's symbols.
    library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library) return true;
    const char* reason = dlerror();
    error = reason ? reason : "unknown reason";
    return false;
}

void* SharedLibrary::symbol(const char* name) const
{
    return library ? dlsym(library, name) : nullptr;
}

void SharedLibrary::close()
{
    if (library) dlclose(library);
    library = nullptr;
}

} // namespace Steinberg::Vst::Tarvik::Host
