// SPDX-License-Identifier: GPL-3.0-or-later
// The platform-neutral entry points. Hosts that call them do so around the factory; each call
// runs the plug-in's hook and the module keeps no load counter of its own here.
#include "public.sdk/source/main/moduleinit.h"

#include "pluginterfaces/base/fplatform.h"

extern "C" {

SMTG_EXPORT_SYMBOL bool InitDll()
{
    return InitModule();
}

SMTG_EXPORT_SYMBOL bool ExitDll()
{
    return DeinitModule();
}

} // extern "C"
