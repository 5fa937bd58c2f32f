// SPDX-License-Identifier: GPL-3.0-or-later
// Linux entry points. Linux VST 3 hosts call ModuleEntry after dlopen and ModuleExit before
// dlclose; nested loads of the same module are counted so that the hooks run once.
#include "public.sdk/source/main/moduleinit.h"

#include "pluginterfaces/base/fplatform.h"

#include <dlfcn.h>

#include <climits>
#include <cstring>

namespace {

void* moduleHandle = nullptr;
int entryCount = 0;
char moduleFolder[PATH_MAX] = {};

void recordModuleFolder()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&recordModuleFolder), &info) == 0 || !info.dli_fname) return;
    const char* lastSlash = strrchr(info.dli_fname, '/');
    if (!lastSlash) return;
    const size_t length = static_cast<size_t>(lastSlash - info.dli_fname) + 1;
    if (length >= sizeof(moduleFolder)) return;
    memcpy(moduleFolder, info.dli_fname, length);
    moduleFolder[length] = '\0';
}

} // namespace

namespace Steinberg {

void* getModuleHandle()
{
    return moduleHandle;
}

const char* getModuleFolder()
{
    if (moduleFolder[0] == '\0') recordModuleFolder();
    return moduleFolder;
}

} // namespace Steinberg

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle)
{
    if (++entryCount == 1)
    {
        moduleHandle = sharedLibraryHandle;
        recordModuleFolder();
        return InitModule();
    }
    return true;
}

SMTG_EXPORT_SYMBOL bool ModuleExit()
{
    if (entryCount <= 0) return false;
    if (--entryCount == 0)
    {
        moduleHandle = nullptr;
        return DeinitModule();
    }
    return true;
}

} // extern "C"
