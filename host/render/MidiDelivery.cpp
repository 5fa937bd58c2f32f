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

bool isNoteOn(const MidiFile::Message& message)
{
    return (message.status & 0xF0) == 0x90 && message.data2 > 0;
}

/** "All sound off" and "all notes off": a synthesizer without sustain or effects treats both as
    the release of every key down, as hosts send them when the transport stops. */
bool isAllNotesOff(const MidiFile::Message& message)
{
    return (message.status & 0xF0) == 0xB0 && (message.data1 == 120 || message.data1 == 123);
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

void MidiDelivery::schedule(const MidiFile& file, double rate)
{
    messages = &file.messages();
    sampleRate = rate;
    next = 0;
    for (std::bitset<128>& keys : down)
        keys.reset();
}

int64 MidiDelivery::positionOf(const MidiFile::Message& message) const
{
    return static_cast<int64>(std::llround(message.seconds * sampleRate));
}

int32 MidiDelivery::noteEventCount(const MidiFile::Message& message, KeysDown& keys)
{
    std::bitset<128>& channel = keys[message.status & 0x0F];
    if (isNoteOn(message))
    {
        channel.set(message.data1);
        return 1;
    }
    if (isNote(message.status))
    {
        channel.reset(message.data1);
        return 1;
    }
    if (!isAllNotesOff(message)) return 0;
    const auto count = static_cast<int32>(channel.count());
    channel.reset();
    return count;
}

bool MidiDelivery::parameterChange(const MidiFile::Message& message, ParamID& id,
                                   ParamValue& value) const
{
    const int channel = message.status & 0x0F;
    switch (message.status & 0xF0)
    {
    case 0xB0:
        if (isAllNotesOff(message)) return false;
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

void MidiDelivery::releaseKeys(int channel, int32 offset, int32 limit, Host::EventList& events)
{
    std::bitset<128>& keys = down[static_cast<size_t>(channel)];
    for (int16 key = 0; key < 128 && limit > 0; ++key)
    {
        if (!keys.test(static_cast<size_t>(key))) continue;
        events.addNoteOff(offset, key, 0.0f, -1, static_cast<int16>(channel));
        keys.reset(static_cast<size_t>(key));
        --limit;
    }
}

int32 MidiDelivery::fill(int64 start, int32 length, Host::EventList& events,
                         Host::ParameterChanges& changes)
{
    if (!messages) return length;
    const std::vector<MidiFile::Message>& list = *messages;

    // First find where the block must end so that every message in it fits the lists. Messages
    // that did not fit into the previous block count as due at its first sample. The keys down
    // are followed on a copy, since an all-notes-off costs a note-off per key down.
    int64 end = start + length;
    size_t stop = list.size();
    int32 eventCount = events.getEventCount();
    int32 points = pointCount(changes);
    KeysDown keys = down;
    bool releaseInPart = false;
    for (size_t i = next; i < list.size(); ++i)
    {
        const MidiFile::Message& message = list[i];
        const int64 due = std::max(positionOf(message), start);
        if (due >= end) break;
        ParamID id = kNoParamId;
        ParamValue value = 0.0;
        bool overflow = false;
        if (const int32 count = noteEventCount(message, keys); count > 0)
            overflow = (eventCount += count) > eventCapacity;
        else if (parameterChange(message, id, value))
            overflow = ++points > pointsPerQueue; // counts every queue's points as one: safe
        if (overflow)
        {
            // The block ends before this message; when even its first sample is full, the block
            // is one sample long and the rest arrives one sample late rather than never. An
            // all-notes-off too large for any block ends what keys fit, and the rest next time.
            end = due > start ? due : start + 1;
            stop = i;
            releaseInPart = due == start && isAllNotesOff(message);
            break;
        }
    }

    for (; next < stop && positionOf(list[next]) < end; ++next)
    {
        const MidiFile::Message& message = list[next];
        const auto offset = static_cast<int32>(std::max<int64>(positionOf(message) - start, 0));
        const int channel = message.status & 0x0F;
        const auto pitch = static_cast<int16>(message.data1);
        if (isNoteOn(message))
        {
            events.addNoteOn(offset, pitch, message.data2 / 127.0f, -1,
                             static_cast<int16>(channel));
            down[static_cast<size_t>(channel)].set(message.data1);
        }
        else if (isNote(message.status))
        {
            const bool noteOff = (message.status & 0xF0) == 0x80;
            events.addNoteOff(offset, pitch, noteOff ? message.data2 / 127.0f : 0.0f, -1,
                              static_cast<int16>(channel));
            down[static_cast<size_t>(channel)].reset(message.data1);
        }
        else if (isAllNotesOff(message))
            releaseKeys(channel, offset, eventCapacity, events);
        else
        {
            ParamID id = kNoParamId;
            ParamValue value = 0.0;
            if (!parameterChange(message, id, value)) continue;
            changes.add(id, offset, value);
            if (controller) controller->setParamNormalized(id, value);
        }
    }
    if (releaseInPart && next == stop)
        releaseKeys(list[stop].status & 0x0F, 0, eventCapacity - events.getEventCount(), events);
    return static_cast<int32>(end - start);
}

} // namespace Render
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
