# SPDX-License-Identifier: GPL-3.0-or-later
# Fails unless the Windows module exports exactly GetPluginFactory, InitDll, ExitDll and
# (unless -DVST2=OFF) VSTPluginMain and imports from system DLLs only (nothing from the
# compiler's runtime: it is linked in).
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DMODULE=Tarvik-Brask.vst3 -P CheckWindowsModule.cmake
cmake_minimum_required(VERSION 3.22)
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${MODULE}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${dump}")

set(exports)
set(imports)
set(in_names OFF)
foreach(line IN LISTS lines)
    if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
        set(in_names ON)
    elseif(in_names AND line MATCHES "^\t\\[ *[0-9]+\\] ([A-Za-z_][A-Za-z0-9_@]*)$")
        list(APPEND exports ${CMAKE_MATCH_1})
    elseif(in_names)
        set(in_names OFF)
    endif()
    if(line MATCHES "^\tDLL Name: (.+)$")
        string(TOLOWER "${CMAKE_MATCH_1}" dll)
        list(APPEND imports ${dll})
    endif()
endforeach()

list(SORT exports)
set(expected ExitDll GetPluginFactory InitDll)
if(NOT DEFINED VST2 OR VST2)
    list(APPEND expected VSTPluginMain)
endif()
if(NOT exports STREQUAL expected)
    message(FATAL_ERROR "exported: ${exports}; expected: ${expected}")
endif()

# What every Windows installation has; the C runtime is msvcrt or the universal CRT.
set(system_dlls advapi32.dll gdi32.dll gdiplus.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
    shell32.dll shlwapi.dll ucrtbase.dll user32.dll)
set(foreign)
foreach(dll IN LISTS imports)
    if(NOT dll IN_LIST system_dlls AND NOT dll MATCHES "^api-ms-win-")
        list(APPEND foreign ${dll})
    endif()
endforeach()
if(foreign)
    message(FATAL_ERROR "imports from non-system DLLs: ${foreign} (all imports: ${imports})")
endif()
list(REMOVE_DUPLICATES imports)
message(STATUS "exports: ${exports}; imports: ${imports}")
