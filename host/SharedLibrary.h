// SPDX-License-Identifier: GPL-3.0-or-later
// A dynamic library opened by path: dlopen on Linux (SharedLibraryPosix.cpp), LoadLibraryW on
// Windows (SharedLibraryWindows.cpp). Also where this platform keeps a VST 3 bundle's module.
#pragma once

#include <string>

namespace Steinberg::Vst::Tarvik::Host {

class SharedLibrary
{
public:
    /** The folder under a bundle's Contents/ that holds this platform's module
        ("x86_64-linux", "x86_64-win"). */
    static const char* const bundleArchitecture;
    /** The file name suffix of a module inside a bundle (".so", ".vst3"). */
    static const char* const moduleSuffix;

    SharedLibrary() = default;
    ~SharedLibrary() { close(); }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    /** Opens the library (paths are UTF-8); on failure false with the system's reason in
        error. */
    bool open(const std::string& path, std::string& error);
    /** An exported symbol, or null. */
    void* symbol(const char* name) const;
    /** The system's handle of the open library (what Linux's ModuleEntry expects). */
    void* handle() const { return library; }
    void close();

private:
    void* library = nullptr;
};

} // namespace Steinberg::Vst::Tarvik::Host
