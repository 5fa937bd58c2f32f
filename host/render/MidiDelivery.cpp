// SPDX-License-Identifier: GPL-3.0-or-later
#include "MidiDelivery.h"

#include <algorithm>
#include <cmath>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Render {

namespace {

constexpr int kChannels = 16;

bool isNote(uint8_t status)
{
    const uint8_t type = status & 0xF0;
    return type == 0x80 || type == 0x90;
}

int32 pointCount(Host::ParameterChanges& changes)
{
    int32 points = 0;
    for (int32 i = 0; i < changes.getParameterCount(); ++i)
    {
        if (IParamValueQueue* queue = changes.getParameterData(i))
            points = std::max(points, queue->getPointCount());
    }
    return points;
}

} // namespace

MidiDelivery::MidiDelivery(IMidiMapping* mapping, IEditController* controller, int32 eventCapacity,
                           int32 pointsPerQueue)
    : assignments(static_cast<size_t>(kChannels * kCountCtrlNumber), kNoParamId),
      controller(controller), eventCapacity(eventCapacity), pointsPerQueue(pointsPerQueue)
{
    // The mapping is read once: it is fixed after the controller's initialisation.
    if (!mapping) return;
    for (int channel = 0; channel < kChannels; ++channel)
    {
        for (int number = 0; number < kCountCtrlNumber; ++number)
        {
            ParamID id = kNoParamId;
            if (mapping->getMidiControllerAssignment(0, static_cast<int16>(channel),
                                                     static_cast<CtrlNumber>(number),
                                                     id) == kResultTrue)
                assignments[static_cast<size_t>(channel * kCountCtrlNumber + number)] = id;
        }
    }
}

ParamID MidiDelivery::assignment(int channel, int controllerNumber) const
{
    if (channel < 0 || channel >= kChannels || controllerNumber < 0 ||
        controllerNumber >= kCountCtrlNumber)
        return kNoParamId;
    return assignments[static_cast<size_t>(channel * kCountCtrlNumber + controllerNumber)];
}

int32 MidiDelivery::targetCount() const
{
    std::vector<ParamID> targets;
    for (ParamID id : assignments)
    {
        if (id != kNoParamId && std::find(targets.begin(), targets.end(), id) == targets.end())
            targets.push_back(id);
    }
    return static_cast<int32>(targets.size());
}

void MidiDelivery::schedule(const MidiFile& file, double sampleRate)
{
    timeline.clear();
    next = 0;
    timeline.reserve(file.messages().size());
    for (const MidiFile::Message& message : file.messages())
    {
        const int64 position = static_cast<int64>(std::llround(message.seconds * sampleRate));
        timeline.push_back({position, message.status, message.data1, message.data2});
    }
}

bool MidiDelivery::parameterChange(const Timed& message, ParamID& id, ParamValue& value) const
{
    const int channel = message.status & 0x0F;
    switch (message.status & 0xF0)
    {
    case 0xB0:
        id = assignment(channel, message.data1);
        value = message.data2 / 127.0;
        break;
    case 0xD0:
        id = assignment(channel, kAfterTouch);
        value = message.data1 / 127.0;
        break;
    case 0xE0:
        id = assignment(channel, kPitchBend);
        value = ((message.data2 << 7) | message.data1) / 16383.0;
        break;
    default:
        return false;
    }
    return id != kNoParamId;
}

int32 MidiDelivery::fill(int64 start, int32 length, Host::EventList& events,
                         Host::ParameterChanges& changes)
{
    // First find where the block must end so that every message in it fits the lists. Messages
    // that did not fit into the previous block count as due at its first sample.
    int64 end = start + length;
    size_t stop = timeline.size();
    int32 eventCount = events.getEventCount();
    int32 points = pointCount(changes);
    for (size_t i = next; i < timeline.size(); ++i)
    {
        const Timed& message = timeline[i];
        const int64 due = std::max(message.position, start);
        if (due >= end) break;
        ParamID id = kNoParamId;
        ParamValue value = 0.0;
        bool overflow = false;
        if (isNote(message.status))
            overflow = ++eventCount > eventCapacity;
        else if (parameterChange(message, id, value))
            overflow = ++points > pointsPerQueue; // counts every queue's points as one: safe
        if (overflow)
        {
            // The block ends before this message; when even its first sample is full, the block
            // is one sample long and the rest arrives one sample late rather than never.
            end = due > start ? due : start + 1;
            stop = i;
            break;
        }
    }

    for (; next < stop && timeline[next].position < end; ++next)
    {
        const Timed& message = timeline[next];
        const auto offset = static_cast<int32>(std::max<int64>(message.position - start, 0));
        const auto channel = static_cast<int16>(message.status & 0x0F);
        const auto pitch = static_cast<int16>(message.data1);
        const uint8_t type = message.status & 0xF0;
        if (type == 0x90 && message.data2 > 0)
            events.addNoteOn(offset, pitch, message.data2 / 127.0f, -1, channel);
        else if (type == 0x80 || type == 0x90)
            events.addNoteOff(offset, pitch, type == 0x80 ? message.data2 / 127.0f : 0.0f, -1,
                              channel);
        else
        {
            ParamID id = kNoParamId;
            ParamValue value = 0.0;
            if (!parameterChange(message, id, value)) continue;
            changes.add(id, offset, value);
            if (controller) controller->setParamNormalized(id, value);
        }
    }
    return static_cast<int32>(end - start);
}

} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
