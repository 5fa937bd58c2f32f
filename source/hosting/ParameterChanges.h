// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter changes a host hands to one process call: a queue per parameter, each with its
// points in time order. Capacity is fixed at construction, so that filling and reading never
// allocate on the audio path. What a full queue does with one more point is chosen at
// construction: refuse it, or keep the newest value in its last point, so that the value the block
// ends with always arrives (a processor that takes a block's last value loses nothing then).
#pragma once

#include "FixedStore.h"
#include "HostOwned.h"

#include "pluginterfaces/vst/ivstparameterchanges.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

enum class FullQueue
{
    kRefusePoint,     ///< addPoint answers kResultFalse
    kKeepNewestPoint, ///< a point at or after the last one replaces it
};

class ParamValueQueue : public HostOwned<IParamValueQueue>
{
public:
    explicit ParamValueQueue(int32 maxPoints = 64, FullQueue whenFull = FullQueue::kRefusePoint);

    void reset(ParamID id);

    ParamID PLUGIN_API getParameterId() SMTG_OVERRIDE { return paramId; }
    int32 PLUGIN_API getPointCount() SMTG_OVERRIDE { return points.size(); }
    tresult PLUGIN_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) SMTG_OVERRIDE;
    /** Keeps points ordered by offset; a point at an existing offset replaces it. */
    tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value, int32& index) SMTG_OVERRIDE;

private:
    struct Point
    {
        int32 offset;
        ParamValue value;
    };
    FixedStore<Point> points;
    FullQueue whenFull;
    ParamID paramId = 0;
};

class ParameterChanges : public HostOwned<IParameterChanges>
{
public:
    explicit ParameterChanges(int32 maxQueues = 64, int32 maxPointsPerQueue = 64,
                              FullQueue whenFull = FullQueue::kRefusePoint);

    /** Empties every queue (keeps the storage). */
    void clear() { queues.clear(); }
    /** Adds a point to the queue of this parameter, opening one if needed; false when the point
        was not taken (no queue left, or a full queue that refuses). */
    bool add(ParamID id, int32 sampleOffset, ParamValue value);

    int32 PLUGIN_API getParameterCount() SMTG_OVERRIDE { return queues.size(); }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) SMTG_OVERRIDE;
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) SMTG_OVERRIDE;

private:
    FixedStore<ParamValueQueue> queues;
};

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
