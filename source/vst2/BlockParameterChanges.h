// SPDX-License-Identifier: GPL-3.0-or-later
// BlockParameterChanges: the parameter changes handed to one process call, a queue per parameter.
// All storage is reserved at construction; filling and reading never allocate. A queue that is
// full keeps its last point up to date, so the newest value of a block always arrives.
#pragma once

#include "pluginterfaces/vst/ivstparameterchanges.h"

#include <array>
#include <cstddef>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class BlockParameterChanges : public IParameterChanges
{
public:
    static constexpr int32 kMaxQueues = 64;
    static constexpr int32 kMaxPoints = 32;

    virtual ~BlockParameterChanges() = default;

    void clear() { used = 0; }
    /** Points of one parameter must come in time order; false only when every queue is taken. */
    bool add(ParamID id, int32 sampleOffset, ParamValue value);

    int32 PLUGIN_API getParameterCount() SMTG_OVERRIDE { return used; }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) SMTG_OVERRIDE;
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) SMTG_OVERRIDE;

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

private:
    class Queue : public IParamValueQueue
    {
    public:
        virtual ~Queue() = default;
        void reset(ParamID queueId);

        ParamID PLUGIN_API getParameterId() SMTG_OVERRIDE { return id; }
        int32 PLUGIN_API getPointCount() SMTG_OVERRIDE { return count; }
        tresult PLUGIN_API getPoint(int32 index, int32& sampleOffset,
                                    ParamValue& value) SMTG_OVERRIDE;
        tresult PLUGIN_API addPoint(int32 sampleOffset, ParamValue value,
                                    int32& index) SMTG_OVERRIDE;

        tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE;
        uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
        uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

    private:
        struct Point
        {
            int32 offset;
            ParamValue value;
        };
        ParamID id = 0;
        int32 count = 0;
        std::array<Point, kMaxPoints> points{};
    };

    std::array<Queue, kMaxQueues> queues;
    int32 used = 0;
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
