// SPDX-License-Identifier: GPL-3.0-or-later
#include "SharedLibrary.h"

#include <windows.h>

#include <vector>

namespace Steinberg::Vst::Tarvik::Host {

namespace {

/** The UTF-16 form of a UTF-8 path, with the backslashes LoadLibraryW requires. */
std::wstring widePath(const std::string& path)
{
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), &wide[0],
                            length);
    for (wchar_t& c : wide)
    {
        if (c == L'/') c = L'\\';
    }
    return wide;
}

std::string systemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&text),
        0, nullptr);
    std::string message;
    if (length > 0 && text)
    {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr,
                                              0, nullptr, nullptr);
        message.resize(static_cast<size_t>(bytes > 0 ? bytes : 0));
        if (bytes > 0)
            WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &message[0], bytes,
                                nullptr, nullptr);
    }
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(code) : message;
}

} // namespace

const char* const SharedLibrary::bundleArchitecture = "x86_64-win";
const char* const SharedLibrary::moduleSuffix = ".vst3";

bool SharedLibrary::open(const std::string& path, std::string& error)
{
    close();
    // No error dialog for a damaged file; the caller reports the reason.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    library = LoadLibraryW(widePath(path).c_str());
    const DWORD code = library ? 0 : GetLastError();
    SetErrorMode(previousMode);
    if (library) return true;
    error = systemMessage(code);
    return false;
}

void* SharedLibrary::symbol(const char* name) const
{
    return library ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name))
                   : nullptr;
}

void SharedLibrary::close()
{
    if (library) FreeLibrary(static_cast<HMODULE>(library));
    library = nullptr;
}

} // namespace Steinberg::Vst::Tarvik::Host
