# SPDX-License-Identifier: GPL-3.0-or-later
# What the build does differently on each platform, in one place. Linux is the native build;
# Windows is cross-built with MinGW-w64 (cmake/toolchains/x86_64-w64-mingw32.cmake).
#
#   BRASK_BUNDLE_ARCH    folder under Tarvik-Brask.vst3/Contents/ that holds the module
#   BRASK_MODULE_SUFFIX  file name suffix of the module inside it
#   BRASK_HAS_X11        whether the editor runtime's X11 and cairo backend and its tests are built
#                        (Windows has its Win32 and GDI+ backend instead)
#   BRASK_PLATFORM_HAS_VST2, BRASK_PLATFORM_HAS_EDITOR, BRASK_PLATFORM_HAS_SSE2,
#   BRASK_PLATFORM_HAS_LV2
#                        the defaults of the switches BRASK_VST2, BRASK_EDITOR, BRASK_SIMD and
#                        BRASK_LV2
#   brask_require_header(), brask_add_format_subdirectories(): see below
if(WIN32)
    enable_language(RC)
    set(BRASK_BUNDLE_ARCH x86_64-win)
    set(BRASK_MODULE_SUFFIX .vst3)
    set(BRASK_HAS_X11 OFF)
    # Every binary depends on system DLLs only: the C++ runtime, libgcc and winpthread are linked
    # in. SSE2 is the x86-64 baseline, so the engine computes as it does on Linux.
    add_link_options(-static)
    # Libraries found for the cross build are the static ones (zlib's, for one), never a DLL's
    # import library.
    set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-msse2$<SEMICOLON>-mfpmath=sse>)
    # CLI11 is header-only: the cross build uses Debian's copy (libcli11-dev) through a folder
    # that holds nothing else, so no Linux header can reach the Windows compiler.
    if(NOT TARGET CLI11::CLI11 AND EXISTS /usr/include/CLI/CLI.hpp)
        set(cli11_headers ${CMAKE_BINARY_DIR}/cli11-include)
        file(MAKE_DIRECTORY ${cli11_headers})
        file(CREATE_LINK /usr/include/CLI ${cli11_headers}/CLI SYMBOLIC)
        add_library(CLI11::CLI11 INTERFACE IMPORTED)
        target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${cli11_headers})
    endif()
    # The VST 2 entry's FST header (fst-dev) is header-only too: the same way in.
    if(NOT FST_INCLUDE_DIR AND EXISTS /usr/include/pluginterfaces/fst/fst.h)
        set(fst_headers ${CMAKE_BINARY_DIR}/fst-include)
        file(MAKE_DIRECTORY ${fst_headers}/pluginterfaces)
        file(CREATE_LINK /usr/include/pluginterfaces/fst ${fst_headers}/pluginterfaces/fst SYMBOLIC)
        set(FST_INCLUDE_DIR ${fst_headers} CACHE PATH "Folder that holds pluginterfaces/fst/fst.h")
    endif()
else()
    set(BRASK_BUNDLE_ARCH x86_64-linux)
    set(BRASK_MODULE_SUFFIX .so)
    set(BRASK_HAS_X11 ON)
endif()

# Both platforms have a VST 2 entry and an editor backend; SSE2 is the baseline of x86-64.
set(BRASK_PLATFORM_HAS_VST2 ON)
set(BRASK_PLATFORM_HAS_EDITOR ON)
# LV2 is the Linux hosts' format; its editor is an X11 UI.
if(WIN32)
    set(BRASK_PLATFORM_HAS_LV2 OFF)
else()
    set(BRASK_PLATFORM_HAS_LV2 ON)
endif()
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|x64)$")
    set(BRASK_PLATFORM_HAS_SSE2 ON)
else()
    set(BRASK_PLATFORM_HAS_SSE2 OFF)
endif()

# brask_require_header(VARIABLE HEADER PACKAGE): VARIABLE is the include folder that holds HEADER;
# without it the configuration stops and names the Debian package that brings it.
function(brask_require_header variable header package)
    find_path(${variable} ${header})
    if(NOT ${variable})
        message(FATAL_ERROR "No ${header}. Run scripts/install-deps (Debian package ${package}).")
    endif()
endfunction()

# brask_add_format_subdirectories(): the calling folder's sub-folders of the optional plug-in
# formats (vst2, lv2), each where its switch (BRASK_VST2, BRASK_LV2) is on; a missing folder
# fails the build as any other add_subdirectory does.
function(brask_add_format_subdirectories)
    foreach(format IN ITEMS vst2 lv2)
        string(TOUPPER ${format} switch)
        if(BRASK_${switch})
            add_subdirectory(${format})
        endif()
    endforeach()
endfunction()
