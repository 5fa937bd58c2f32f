// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParameterChanges.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Host {

ParamValueQueue::ParamValueQueue(int32 maxPoints)
    : points(static_cast<size_t>(maxPoints > 0 ? maxPoints : 1))
{}

void ParamValueQueue::reset(ParamID id)
{
    paramId = id;
    count = 0;
}

tresult PLUGIN_API ParamValueQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value)
{
    if (index < 0 || static_cast<size_t>(index) >= count) return kResultFalse;
    sampleOffset = points[static_cast<size_t>(index)].offset;
    value = points[static_cast<size_t>(index)].value;
    return kResultOk;
}

tresult PLUGIN_API ParamValueQueue::addPoint(int32 sampleOffset, ParamValue value, int32& index)
{
    size_t position = 0;
    while (position < count && points[position].offset < sampleOffset)
        ++position;
    if (position < count && points[position].offset == sampleOffset)
    {
        points[position].value = value;
        index = static_cast<int32>(position);
        return kResultOk;
    }
    if (count == points.size()) return kResultFalse;
    for (size_t i = count; i > position; --i)
        points[i] = points[i - 1];
    points[position] = {sampleOffset, value};
    ++count;
    index = static_cast<int32>(position);
    return kResultOk;
}

ParameterChanges::ParameterChanges(int32 maxQueues, int32 maxPointsPerQueue)
{
    queues.reserve(static_cast<size_t>(maxQueues > 0 ? maxQueues : 1));
    for (int32 i = 0; i < maxQueues; ++i)
        queues.emplace_back(maxPointsPerQueue);
}

void ParameterChanges::clear()
{
    used = 0;
}

bool ParameterChanges::add(ParamID id, int32 sampleOffset, ParamValue value)
{
    int32 index = 0;
    IParamValueQueue* queue = addParameterData(id, index);
    int32 pointIndex = 0;
    return queue && queue->addPoint(sampleOffset, value, pointIndex) == kResultOk;
}

IParamValueQueue* PLUGIN_API ParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || static_cast<size_t>(index) >= used) return nullptr;
    return &queues[static_cast<size_t>(index)];
}

IParamValueQueue* PLUGIN_API ParameterChanges::addParameterData(const ParamID& id, int32& index)
{
    for (size_t i = 0; i < used; ++i)
    {
        if (queues[i].getParameterId() == id)
        {
            index = static_cast<int32>(i);
            return &queues[i];
        }
    }
    if (used == queues.size()) return nullptr;
    queues[used].reset(id);
    index = static_cast<int32>(used);
    return &queues[used++];
}

} // namespace Host
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
