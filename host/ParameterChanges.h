// SPDX-License-Identifier: GPL-3.0-or-later
// The host's parameter changes for one block: a queue per parameter, each with its points.
// Capacity is fixed at construction so that filling and reading never allocate on the audio path.
#pragma once

#include "HostOwned.h"

#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Host {

class ParamValueQueue : public HostOwned<IParamValueQueue>
{
public:
    explicit ParamValueQueue(int32 maxPoints = 64);

    void reset(ParamID id);

    ParamID PLUGIN_API getParameterId() SMTG_OVERRIDE { return paramId; }
    int32 PLUGIN_API getPointCount() SMTG_OVERRIDE { return static_cast<int32>(count); }
    tresult PLUGIN_API getPoint(int32 index, int32& sampleOffset, ParamValue& value) SMTG_OVERRIDE;
    /** Keeps points ordered by offset; a point at an existing offset replaces it. */
    tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value, int32& index) SMTG_OVERRIDE;

private:
    struct Point
    {
        int32 offset;
        ParamValue value;
    };
    ParamID paramId = 0;
    std::vector<Point> points;
    size_t count = 0;
};

class ParameterChanges : public HostOwned<IParameterChanges>
{
public:
    explicit ParameterChanges(int32 maxQueues = 64, int32 maxPointsPerQueue = 64);

    /** Empties every queue (keeps the storage). */
    void clear();
    /** Adds a point to the queue of this parameter, opening one if needed; false when full. */
    bool add(ParamID id, int32 sampleOffset, ParamValue value);

    int32 PLUGIN_API getParameterCount() SMTG_OVERRIDE { return static_cast<int32>(used); }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) SMTG_OVERRIDE;
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) SMTG_OVERRIDE;

private:
    std::vector<ParamValueQueue> queues;
    size_t used = 0;
};

} // namespace Host
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
