// SPDX-License-Identifier: GPL-3.0-or-later
// The module main: the plug-in supplies the two hooks, the platform entry points call them and
// record where the module was loaded from.
#pragma once

/** The plug-in's initialisation hook, called by every entry point that loads the module. */
bool InitModule();
/** The plug-in's de-initialisation hook, called by every entry point that unloads it. */
bool DeinitModule();

namespace Steinberg {

/** The platform handle of the loaded module (null before the host entered it). */
void* getModuleHandle();

/** The folder that holds the module binary, with a trailing separator; empty if unknown. */
const char* getModuleFolder();

} // namespace Steinberg
