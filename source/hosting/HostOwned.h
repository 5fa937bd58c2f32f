// SPDX-License-Identifier: GPL-3.0-or-later
// Base of the objects a host owns outright and lends to the plug-in for the length of a call
// (event lists, parameter queues, the component handler, the plug frame): the interface and
// FUnknown are answered, and reference counting is a no-op because the host decides the lifetime.
#pragma once

#include "pluginterfaces/base/funknown.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

template <typename Interface>
class HostOwned : public Interface
{
public:
    virtual ~HostOwned() = default;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE
    {
        if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
            FUnknownPrivate::iidEqual(iid, Interface::iid))
        {
            *obj = static_cast<Interface*>(this);
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }
};

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
