// SPDX-License-Identifier: GPL-3.0-or-later
// Windows module main. Windows hosts call InitDll after LoadLibrary and ExitDll before
// FreeLibrary (modulemain.cpp); DllMain only remembers where the module was loaded from, since
// little else is allowed while the loader lock is held.
#include "public.sdk/source/main/moduleinit.h"

#include <windows.h>

namespace {

HINSTANCE moduleInstance = nullptr;
char moduleFolder[4 * MAX_PATH] = {}; // UTF-8 of a MAX_PATH UTF-16 path

void recordModuleFolder(HINSTANCE instance)
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    DWORD end = length;
    while (end > 0 && path[end - 1] != L'\\' && path[end - 1] != L'/')
        --end;
    if (end == 0) return;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(end), moduleFolder,
                                          sizeof(moduleFolder) - 1, nullptr, nullptr);
    moduleFolder[bytes > 0 ? bytes : 0] = '\0';
}

} // namespace

namespace Steinberg {

void* getModuleHandle()
{
    return moduleInstance;
}

const char* getModuleFolder()
{
    return moduleFolder;
}

} // namespace Steinberg

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/)
{
    if (reason == DLL_PROCESS_ATTACH)
    {
        moduleInstance = instance;
        recordModuleFolder(instance);
    }
    else if (reason == DLL_PROCESS_DETACH)
        moduleInstance = nullptr;
    return TRUE;
}
