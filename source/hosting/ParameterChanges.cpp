// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParameterChanges.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

ParamValueQueue::ParamValueQueue(int32 maxPoints, FullQueue whenFull)
    : points(std::max<int32>(maxPoints, 1), Point{0, 0.0}), whenFull(whenFull)
{}

void ParamValueQueue::reset(ParamID id)
{
    paramId = id;
    points.clear();
}

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (!points.holds(index)) return kResultFalse;
    sampleOffset = points[index].offset;
    value = points[index].value;
    return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    const int32 count = points.size();
    int32 position = 0;
    while (position < count && points[position].offset < sampleOffset)
        ++position;
    if (position < count && points[position].offset == sampleOffset)
    {
        points[position].value = value;
        index = position;
        return kResultOk;
    }
    if (points.full())
    {
        // Only a point after the last can change the value the block ends with.
        if (whenFull == FullQueue::kRefusePoint || position < count) return kResultFalse;
        points[count - 1] = {sampleOffset, value};
        index = count - 1;
        return kResultOk;
    }
    points.insert(position, {sampleOffset, value});
    index = position;
    return kResultOk;
}

ParameterChanges::ParameterChanges(int32 maxQueues, int32 maxPointsPerQueue, FullQueue whenFull)
    : queues(std::max<int32>(maxQueues, 1), ParamValueQueue(maxPointsPerQueue, whenFull))
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
    return queues.holds(index) ? &queues[index] : nullptr;
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (int32 i = 0; i < queues.size(); ++i)
    {
        if (queues[i].getParameterId() == id)
        {
            index = i;
            return &queues[i];
        }
    }
    ParamValueQueue* queue = queues.grow();
    if (!queue) return nullptr;
    queue->reset(id);
    index = queues.size() - 1;
    return queue;
}

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
