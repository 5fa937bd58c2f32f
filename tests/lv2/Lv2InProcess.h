// SPDX-License-Identifier: GPL-3.0-or-later
// The LV2 entry linked into the test program, with the instrument: an instance made through
// lv2_descriptor as a host makes it, its ports connected to buffers of the test.
#pragma once

#include "Lv2TestHost.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>

#include <array>
#include <cstring>
#include <vector>

extern "C" const LV2_Descriptor* lv2_descriptor(uint32_t index);

namespace Lv2Test {

struct InProcess
{
    explicit InProcess(int32_t maxBlock)
    {
        maxBlockValue = maxBlock;
        const LV2_URID atomInt = urids.map(LV2_ATOM__Int);
        options[0] = {LV2_OPTIONS_INSTANCE, 0,       urids.map(LV2_BUF_SIZE__maxBlockLength),
                      sizeof(int32_t),      atomInt, &maxBlockValue};
        mapFeature = {LV2_URID__map, urids.mapFeature()};
        optionsFeature = {LV2_OPTIONS__options, options};
        sequenceType = urids.map(LV2_ATOM__Sequence);
        midiEvent = urids.map(LV2_MIDI__MidiEvent);
        descriptor = lv2_descriptor(0);
        handle = descriptor->instantiate(descriptor, 48000.0, "", features);
        sequence.resize(1024);
        left.resize(static_cast<size_t>(4 * maxBlock));
        right.resize(static_cast<size_t>(4 * maxBlock));
        descriptor->connect_port(handle, 0, sequence.data());
        descriptor->connect_port(handle, 1, left.data());
        descriptor->connect_port(handle, 2, right.data());
        for (uint32_t i = 0; i < kControlPorts; ++i)
            descriptor->connect_port(handle, kFirstControl + i, &controls[i]);
        controls.fill(0.5f);
        descriptor->activate(handle);
    }

    ~InProcess()
    {
        descriptor->deactivate(handle);
        descriptor->cleanup(handle);
    }

    /** Writes up to 16 three-byte messages into the MIDI input; allocates nothing. */
    void setMidi(const uint8_t (*messages)[3], const uint32_t* frames, int count)
    {
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(sequence.data());
        seq->atom.type = sequenceType;
        seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
        seq->body = {0, 0};
        for (int i = 0; i < count && i < 16; ++i)
        {
            auto* event = reinterpret_cast<LV2_Atom_Event*>(reinterpret_cast<uint8_t*>(&seq->body) +
                                                            ((seq->atom.size + 7u) & ~7u));
            event->time.frames = frames[i];
            event->body = {3, midiEvent};
            std::memcpy(event + 1, messages[i], 3);
            seq->atom.size = ((seq->atom.size + 7u) & ~7u) + sizeof *event + 3;
        }
    }

    UridMap urids;
    LV2_URID sequenceType = 0;
    LV2_URID midiEvent = 0;
    int32_t maxBlockValue = 0;
    LV2_Options_Option options[2] = {};
    LV2_Feature mapFeature{};
    LV2_Feature optionsFeature{};
    const LV2_Feature* features[3] = {&mapFeature, &optionsFeature, nullptr};
    const LV2_Descriptor* descriptor = nullptr;
    LV2_Handle handle = nullptr;
    std::vector<uint64_t> sequence;
    std::vector<float> left, right;
    std::array<float, kControlPorts> controls{};
};

} // namespace Lv2Test
