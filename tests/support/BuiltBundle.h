// SPDX-License-Identifier: GPL-3.0-or-later
// The built bundle as a host holds it: the module loaded and its instrument created, initialized
// and connected, its controller's edits recorded by the handler. The instance is released before
// the module that holds its code.
#pragma once

#include "ComponentHandler.h"
#include "PluginModule.h"

#include "PluginInstance.h"

#include <memory>
#include <string>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

struct BuiltBundle
{
    /** Loads BRASK_TEST_BUNDLE and creates the instance; false with the reason in error. */
    bool open(std::string& error)
    {
        module = Host::PluginModule::load(BRASK_TEST_BUNDLE, error);
        if (module) instance = Hosting::PluginInstance::create(module->factory(), &handler, error);
        return module && instance;
    }

    ~BuiltBundle() { instance.reset(); }

    std::unique_ptr<Host::PluginModule> module;
    Host::ComponentHandler handler;
    std::unique_ptr<Hosting::PluginInstance> instance;
};

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
