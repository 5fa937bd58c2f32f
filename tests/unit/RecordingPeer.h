// SPDX-License-Identifier: GPL-3.0-or-later
// A connection-point peer that records the messages a component sends it.
#pragma once

#include "pluginterfaces/vst/ivstmessage.h"

#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace TestSupport {

class RecordingPeer : public IConnectionPoint
{
public:
    struct Received
    {
        std::string id;
        bool hasSampleRate = false;
        double sampleRate = 0.0;
    };

    virtual ~RecordingPeer() = default;

    tresult PLUGIN_API connect(IConnectionPoint* /*other*/) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API disconnect(IConnectionPoint* /*other*/) SMTG_OVERRIDE { return kResultOk; }
    tresult PLUGIN_API notify(IMessage* message) SMTG_OVERRIDE
    {
        Received entry;
        entry.id = message->getMessageID() ? message->getMessageID() : "";
        if (IAttributeList* attributes = message->getAttributes())
            entry.hasSampleRate = attributes->getFloat("SampleRate", entry.sampleRate) == kResultOk;
        received.push_back(entry);
        return kResultOk;
    }

    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) SMTG_OVERRIDE
    {
        QUERY_INTERFACE(iid, obj, FUnknown::iid, IConnectionPoint)
        QUERY_INTERFACE(iid, obj, IConnectionPoint::iid, IConnectionPoint)
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() SMTG_OVERRIDE { return 1; }
    uint32 PLUGIN_API release() SMTG_OVERRIDE { return 1; }

    std::vector<Received> received;
};

} // namespace TestSupport
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
