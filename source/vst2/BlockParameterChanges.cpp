// SPDX-License-Identifier: GPL-3.0-or-later
#include "BlockParameterChanges.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

template <typename Interface>
tresult answer(Interface* self, const TUID iid, void** obj)
{
    if (FUnknownPrivate::iidEqual(iid, FUnknown::iid) ||
        FUnknownPrivate::iidEqual(iid, Interface::iid))
    {
        *obj = self;
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

} // namespace

bool BlockParameterChanges::add(ParamID id, int32 sampleOffset, ParamValue value)
{
    int32 index = 0;
    IParamValueQueue* queue = addParameterData(id, index);
    if (!queue) return false;
    int32 point = 0;
    return queue->addPoint(sampleOffset, value, point) == kResultOk;
}

IParamValueQueue* PLUGIN_API BlockParameterChanges::getParameterData(int32 index)
{
    if (index < 0 || index >= used) return nullptr;
    return &queues[static_cast<size_t>(index)];
}

IParamValueQueue* PLUGIN_API BlockParameterChanges::addParameterData(const ParamID& id,
                                                                     int32& index)
{
    for (int32 i = 0; i < used; ++i)
    {
        if (queues[static_cast<size_t>(i)].getParameterId() == id)
        {
            index = i;
            return &queues[static_cast<size_t>(i)];
        }
    }
    if (used == kMaxQueues) return nullptr;
    queues[static_cast<size_t>(used)].reset(id);
    index = used;
    return &queues[static_cast<size_t>(used++)];
}

tresult PLUGIN_API BlockParameterChanges::queryInterface(const TUID iid, void** obj)
{
    return answer<IParameterChanges>(this, iid, obj);
}

void BlockParameterChanges::Queue::reset(ParamID queueId)
{
    id = queueId;
    count = 0;
}

tresult PLUGIN_API BlockParameterChanges::Queue::getPoint(int32 index, int32& sampleOffset,
                                                          ParamValue& value)
{
    if (index < 0 || index >= count) return kResultFalse;
    sampleOffset = points[static_cast<size_t>(index)].offset;
    value = points[static_cast<size_t>(index)].value;
    return kResultOk;
}

tresult PLUGIN_API BlockParameterChanges::Queue::addPoint(int32 sampleOffset, ParamValue value,
                                                          int32& index)
{
    if (count > 0 && points[static_cast<size_t>(count - 1)].offset >= sampleOffset)
    {
        // Same or earlier offset than the last point: the newer value replaces it.
        points[static_cast<size_t>(count - 1)].value = value;
        index = count - 1;
        return kResultOk;
    }
    if (count == kMaxPoints)
    {
        points[static_cast<size_t>(count - 1)] = {sampleOffset, value};
        index = count - 1;
        return kResultOk;
    }
    points[static_cast<size_t>(count)] = {sampleOffset, value};
    index = count++;
    return kResultOk;
}

tresult PLUGIN_API BlockParameterChanges::Queue::queryInterface(const TUID iid, void** obj)
{
    return answer<IParamValueQueue>(this, iid, obj);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
