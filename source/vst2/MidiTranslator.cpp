// SPDX-License-Identifier: GPL-3.0-or-later
#include "MidiTranslator.h"

#include "pluginterfaces/fst/fst.h"

namespace Steinberg {
namespace Vst {
namespace Tarvik {

namespace {

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

void MidiTranslator::translate(const fstEvents_* events, BlockInput& input)
{
    if (!events || events->numEvents <= 0) return;
    for (int i = 0; i < events->numEvents; ++i)
    {
        const t_fstEvent* event = events->events[i];
        if (!event || event->type != kVstMidiType) continue;
        const auto* midi = reinterpret_cast<const t_fstMidiEvent*>(event);
        translateMessage(midi->deltaFrames, midi->midiData, input);
    }
}

void MidiTranslator::releaseAll(int32 offset, int16 channel, BlockInput& input)
{
    std::bitset<kKeys>& down = keysDown[static_cast<size_t>(channel)];
    for (int key = 0; key < kKeys && down.any(); ++key)
    {
        if (down[static_cast<size_t>(key)] &&
            input.addNoteOff(offset, channel, static_cast<int16>(key), 0.0f))
            down[static_cast<size_t>(key)] = false;
    }
}

void MidiTranslator::translateMessage(int32 offset, const unsigned char* bytes, BlockInput& input)
{
    const unsigned status = bytes[0];
    if (status < 0x80) return; // running status: a host must send whole messages
    const auto channel = static_cast<int16>(status & 0x0F);
    const int data1 = bytes[1] & 0x7F;
    const int data2 = bytes[2] & 0x7F;
    // A key counts as down once the instrument has its note-on, and up once it has a note-off.
    std::bitset<kKeys>& down = keysDown[static_cast<size_t>(channel)];
    const auto key = static_cast<size_t>(data1);

    ParamID id = kNoParamId;
    ParamValue value = 0.0;
    switch (status & 0xF0)
    {
    case 0x90:
        if (data2 > 0)
        {
            if (input.addNoteOn(offset, channel, static_cast<int16>(data1), data2 / 127.0f))
                down[key] = true;
        }
        else if (input.addNoteOff(offset, channel, static_cast<int16>(data1), 0.0f))
            down[key] = false;
        return;
    case 0x80:
        if (input.addNoteOff(offset, channel, static_cast<int16>(data1), data2 / 127.0f))
            down[key] = false;
        return;
    case 0xB0:
        if (data1 == kAllSoundOff || data1 == kAllNotesOff)
        {
            releaseAll(offset, channel, input);
            return;
        }
        id = assignment(channel, data1);
        value = data2 / 127.0;
        break;
    case 0xC0:
        if (programs) programs->programChange(data1);
        return;
    case 0xD0:
        id = assignment(channel, kAfterTouch);
        value = data1 / 127.0;
        break;
    case 0xE0:
        id = assignment(channel, kPitchBend);
        value = ((data2 << 7) | data1) / 16383.0;
        break;
    default:
        return;
    }
    if (id != kNoParamId) input.addMidiChange(id, offset, value);
}

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
