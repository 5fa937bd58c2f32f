# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-compiles the 64-bit Windows build with Debian's MinGW-w64 (package
# g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRASK_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix flavour: its C++ runtime has std::thread and std::mutex.
set(CMAKE_C_COMPILER ${BRASK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRASK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BRASK_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${BRASK_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${BRASK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine (Debian's wine64 keeps its loader off the PATH).
find_program(BRASK_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(BRASK_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${BRASK_WINE})
endif()
