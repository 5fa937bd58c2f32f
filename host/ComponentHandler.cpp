// SPDX-License-Identifier: GPL-3.0-or-later
#include "ComponentHandler.h"

namespace Steinberg::Vst::Tarvik::Host {

tresult PLUGIN_API ComponentHandler::beginEdit(ParamID id)
{
    edits.push_back({Edit::kBegin, id, 0.0});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::performEdit(ParamID id, ParamValue valueNormalized)
{
    edits.push_back({Edit::kPerform, id, valueNormalized});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::endEdit(ParamID id)
{
    edits.push_back({Edit::kEnd, id, 0.0});
    return kResultOk;
}

tresult PLUGIN_API ComponentHandler::restartComponent(int32 flags)
{
    restarts.push_back(flags);
    return kResultOk;
}

} // namespace Steinberg::Vst::Tarvik::Host
