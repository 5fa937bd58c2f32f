// SPDX-License-Identifier: GPL-3.0-or-later
// The host's side of the controller's edits: records them so a host (or a test) can follow what
// the controller asked for.
#pragma once

#include "HostOwned.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <vector>

namespace Steinberg::Vst::Tarvik::Host {

class ComponentHandler : public Hosting::HostOwned<IComponentHandler>
{
public:
    struct Edit
    {
        enum Kind
        {
            kBegin,
            kPerform,
            kEnd
        } kind;
        ParamID id;
        ParamValue value;
    };

    tresult PLUGIN_API beginEdit(ParamID id) SMTG_OVERRIDE;
    tresult PLUGIN_API performEdit(ParamID id, ParamValue valueNormalized) SMTG_OVERRIDE;
    tresult PLUGIN_API endEdit(ParamID id) SMTG_OVERRIDE;
    tresult PLUGIN_API restartComponent(int32 flags) SMTG_OVERRIDE;

    std::vector<Edit> edits;
    std::vector<int32> restarts;
};

} // namespace Steinberg::Vst::Tarvik::Host
