// SPDX-License-Identifier: GPL-3.0-or-later
#include "MidiTranslator.h"

#include <algorithm>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Hosting {

namespace {

/** "All sound off" and "all notes off": without sustain or effects both release every key down,
    as hosts send them when the transport stops. */
constexpr int kAllSoundOff = 120;
constexpr int kAllNotesOff = 123;

} // namespace

void MidiTranslator::readMapping(IMidiMapping* mapping)
{
    assignments.fill(kNoParamId);
    if (!mapping) return;
    for (int channel = 0; channel < kChannels; ++channel)
    {
        for (int number = 0; number < kCountCtrlNumber; ++number)
        {
            ParamID id = kNoParamId;
            if (mapping->getMidiControllerAssignment(0, static_cast<int16>(channel),
                                                     static_cast<CtrlNumber>(number),
                                                     id) == kResultOk)
                assignments[static_cast<size_t>(channel * kCountCtrlNumber + number)] = id;
        }
    }
}

ParamID MidiTranslator::assignment(int channel, int controllerNumber) const
{
    if (channel < 0 || channel >= kChannels || controllerNumber < 0 ||
        controllerNumber >= kCountCtrlNumber)
        return kNoParamId;
    return assignments[static_cast<size_t>(channel * kCountCtrlNumber + controllerNumber)];
}

int32 MidiTranslator::targetCount() const
{
    std::array<ParamID, kChannels* kCountCtrlNumber> targets = assignments;
    std::sort(targets.begin(), targets.end());
    const auto end = std::unique(targets.begin(), targets.end());
    return static_cast<int32>(
        std::count_if(targets.begin(), end, [](ParamID id) { return id != kNoParamId; }));
}

void MidiTranslator::releaseAllKeys()
{
    for (std::bitset<kKeys>& keys : keysDown)
        keys.reset();
}

bool MidiTranslator::releaseKeys(int32 offset, int16 channel, BlockInput& block)
{
    std::bitset<kKeys>& down = keysDown[static_cast<size_t>(channel)];
    for (int key = 0; key < kKeys && down.any(); ++key)
    {
        if (!down[static_cast<size_t>(key)]) continue;
        if (!block.addNoteOff(offset, channel, static_cast<int16>(key), 0.0f)) return false;
        down[static_cast<size_t>(key)] = false;
    }
    return true;
}

bool MidiTranslator::translate(int32 offset, const uint8 bytes[3], BlockInput& block)
{
    const unsigned status = bytes[0];
    if (status < 0x80) return true; // running status: a host must send whole messages
    const auto channel = static_cast<int16>(status & 0x0F);
    const int data1 = bytes[1] & 0x7F;
    const int data2 = bytes[2] & 0x7F;
    // A key counts as down once the block has its note-on, and up once it has a note-off.
    std::bitset<kKeys>& down = keysDown[static_cast<size_t>(channel)];
    const auto key = static_cast<size_t>(data1);

    ParamID id = kNoParamId;
    ParamValue value = 0.0;
    switch (status & 0xF0)
    {
    case 0x90:
        if (data2 > 0)
        {
            if (!block.addNoteOn(offset, channel, static_cast<int16>(data1), data2 / 127.0f))
                return false;
            down[key] = true;
        }
        else
        {
            if (!block.addNoteOff(offset, channel, static_cast<int16>(data1), 0.0f)) return false;
            down[key] = false;
        }
        return true;
    case 0x80:
        if (!block.addNoteOff(offset, channel, static_cast<int16>(data1), data2 / 127.0f))
            return false;
        down[key] = false;
        return true;
    case 0xB0:
        if (data1 == kAllSoundOff || data1 == kAllNotesOff)
            return releaseKeys(offset, channel, block);
        id = assignment(channel, data1);
        value = data2 / 127.0;
        break;
    case 0xC0:
        if (listener) listener->programChange(data1);
        return true;
    case 0xD0:
        id = assignment(channel, kAfterTouch);
        value = data1 / 127.0;
        break;
    case 0xE0:
        id = assignment(channel, kPitchBend);
        value = ((data2 << 7) | data1) / 16383.0;
        break;
    default:
        return true;
    }
    if (id == kNoParamId) return true;
    if (!block.addMidiChange(id, offset, value)) return false;
    if (listener) listener->parameterChange(id, value);
    return true;
}

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
