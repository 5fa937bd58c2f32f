// SPDX-License-Identifier: GPL-3.0-or-later
// What brask-render needs from the operating system beyond standard C++ (RenderPlatformPosix.cpp,
// RenderPlatformWindows.cpp).
#pragma once

#include <string>

namespace Steinberg::Vst::Tarvik::Render::Platform {

/** The folder of the running program with a trailing separator, or empty if unknown. */
std::string programFolder();

/** Whether stderr is a terminal, where a progress bar can redraw its line. */
bool errorsGoToTerminal();

/** Writes what the file descriptor holds through to the disk; false with errno set if that
    failed. */
bool syncFile(int fd);

/** Moves a finished file over another, replacing it; false with the system's reason. */
bool replaceFile(const std::string& from, const std::string& to, std::string& reason);
/** Removes a file; nothing happens when there is none. */
void removeFile(const std::string& path);

/** Whether two paths name the same existing file, whatever links lead to it: the same device and
    inode (on Windows: volume and file index). False when either does not exist. */
bool sameFile(const std::string& first, const std::string& second);

/** Lets a write past the process's file size limit fail with a reason to report instead of
    ending the program (which would leave the pending file behind). */
void reportFileSizeLimitAsError();

} // namespace Steinberg::Vst::Tarvik::Render::Platform
