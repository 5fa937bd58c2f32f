// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParameterChanges.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

ParamValueQueue::ParamValueQueue(int32 maxPoints, FullQueue whenFull)
    : points(static_cast<size_t>(std::max<int32>(maxPoints, 1))), whenFull(whenFull)
{}

void ParamValueQueue::reset(ParamID id)
{
    paramId = id;
    count = 0;
}

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || index >= count) return kResultFalse;
    sampleOffset = points[static_cast<size_t>(index)].offset;
    value = points[static_cast<size_t>(index)].value;
    return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    int32 position = 0;
    while (position < count && points[static_cast<size_t>(position)].offset < sampleOffset)
        ++position;
    if (position < count && points[static_cast<size_t>(position)].offset == sampleOffset)
    {
        points[static_cast<size_t>(position)].value = value;
        index = position;
        return kResultOk;
    }
    if (count == static_cast<int32>(points.size()))
    {
        // Only a point after the last can change the value the block ends with.
        if (whenFull == FullQueue::kRefusePoint || position < count) return kResultFalse;
        points[static_cast<size_t>(count - 1)] = {sampleOffset, value};
        index = count - 1;
        return kResultOk;
    }
    for (int32 i = count; i > position; --i)
        points[static_cast<size_t>(i)] = points[static_cast<size_t>(i - 1)];
    points[static_cast<size_t>(position)] = {sampleOffset, value};
    ++count;
    index = position;
    return kResultOk;
}

ParameterChanges::ParameterChanges(int32 maxQueues, int32 maxPointsPerQueue, FullQueue whenFull)
    : queues(static_cast<size_t>(std::max<int32>(maxQueues, 1)),
             ParamValueQueue(maxPointsPerQueue, whenFull))
{}

bool ParameterChanges::add(ParamID id, int32 sampleOffset, ParamValue value)
{
    int32 index = 0;
    IParamValueQueue* queue = addParameterData(id, index);
    int32 point = 0;
    return queue && queue->addPoint(sampleOffset, value, point) == kResultOk;
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= used) return nullptr;
    return &queues[static_cast<size_t>(index)];
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (int32 i = 0; i < used; ++i)
    {
        if (queues[static_cast<size_t>(i)].getParameterId() == id)
        {
            index = i;
            return &queues[static_cast<size_t>(i)];
        }
    }
    if (used == static_cast<int32>(queues.size())) return nullptr;
    queues[static_cast<size_t>(used)].reset(id);
    index = used;
    return &queues[static_cast<size_t>(used++)];
}

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
