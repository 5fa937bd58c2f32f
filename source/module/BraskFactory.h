// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pluginterfaces/base/ipluginbase.h"

namespace Steinberg {
class CPluginFactory;
namespace Vst {
namespace Tarvik {

/** Creates the registered processor; the context is ignored. */
FUnknown* createProcessorInstance(void* context);

/** Class 0 of the factory: the processor. */
const PClassInfo2& processorClassInfo();

/** Creates the registered controller in zero-filled storage; the context is ignored. */
FUnknown* createControllerInstance(void* context);

/** Class 1 of the factory: the controller. */
const PClassInfo2& controllerClassInfo();

/** Registers class 1, the controller, right after the processor (see ControllerClass.cpp). */
void registerControllerClass(CPluginFactory& factory);

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
