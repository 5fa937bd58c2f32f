// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lv2Instrument.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Lv2 {

namespace {

constexpr size_t kWordSize = 4;

uint32_t wordAt(const uint8* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

double doubleAt(const uint8* bytes)
{
    double value = 0.0;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

/** The length of a channel message with this status byte; 0 for anything else. */
uint32_t channelMessageSize(uint8 status)
{
    if (status < 0x80 || status >= 0xF0) return 0;
    const uint8 kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
}

const void* feature(const LV2_Feature* const* features, const char* uri)
{
    for (const LV2_Feature* const* f = features; f && *f; ++f)
    {
        if ((*f)->URI && std::strcmp((*f)->URI, uri) == 0) return (*f)->data;
    }
    return nullptr;
}

} // namespace

bool processorStateValue(const std::vector<uint8>& state, uint32_t index, double& value)
{
    const size_t at = kWordSize + 8 * size_t{index};
    if (state.size() < kWordSize || index >= wordAt(state.data()) || at + 8 > state.size())
        return false;
    value = doubleAt(state.data() + at);
    return true;
}

bool plausibleProcessorState(const uint8* state, size_t size, const std::vector<uint8>& reference)
{
    // count (4 bytes), count doubles, a 4-byte bypass word
    if (!state || size != reference.size() || size < 2 * kWordSize) return false;
    const uint32_t count = wordAt(state);
    if (count != wordAt(reference.data()) || size != 2 * kWordSize + 8 * size_t{count})
        return false;
    for (uint32_t i = 0; i < count; ++i)
    {
        const double value = doubleAt(state + kWordSize + 8 * size_t{i});
        if (!std::isfinite(value) || value < 0.0 || value > 1.0) return false;
    }
    return true;
}

std::unique_ptr<Lv2Instrument> Lv2Instrument::create(IPluginFactory* factory,
                                                     const TUID processorClassId, double sampleRate,
                                                     const LV2_Feature* const* features)
{
    if (!factory || !(sampleRate > 0.0) || !std::isfinite(sampleRate)) return nullptr;
    std::unique_ptr<Lv2Instrument> instrument(new Lv2Instrument);
    if (!instrument->build(factory, processorClassId, sampleRate, features)) return nullptr;
    return instrument;
}

Lv2Instrument::~Lv2Instrument()
{
    if (instance) instance->deactivate();
}

bool Lv2Instrument::build(IPluginFactory* factory, const TUID processorClassId, double rate,
                          const LV2_Feature* const* features)
{
    const auto* map = static_cast<const LV2_URID_Map*>(feature(features, LV2_URID__map));
    if (!map || !map->map) return false;
    urids.atomSequence = map->map(map->handle, LV2_ATOM__Sequence);
    urids.atomString = map->map(map->handle, LV2_ATOM__String);
    urids.atomInt = map->map(map->handle, LV2_ATOM__Int);
    urids.atomChunk = map->map(map->handle, LV2_ATOM__Chunk);
    urids.midiEvent = map->map(map->handle, LV2_MIDI__MidiEvent);
    urids.maxBlockLength = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    urids.nominalBlockLength = map->map(map->handle, LV2_BUF_SIZE__nominalBlockLength);
    urids.state = map->map(map->handle, kStateUri);
    urids.stateType = map->map(map->handle, kStateTypeUri);
    urids.programName = map->map(map->handle, kProgramNameUri);
    readOptions(features);

    sampleRate = rate;
    std::string error; // an LV2 host learns only that there is no instance
    instance = Hosting::PluginInstance::create(factory, processorClassId, nullptr, error);
    if (!instance || !instance->setUpBuses(error)) return false;
    if (!instance->setUpProcessing(sampleRate, pieceSize, kRealtime)) return false;
    midi.readMapping(instance->midiMapping());
    blockInput.reserveParameters(std::max<int32>(midi.targetCount() + kControlPortCount,
                                                 instance->controller()->getParameterCount()));

    std::vector<uint8> state;
    if (!instance->processorState(state)) return false;
    takePortValues(state);
    restored.store(false);
    for (uint32_t i = 0; i < kControlPortCount; ++i)
    {
        seenValues[i] = stateValues[i] = restoredValues[i].load();
        stateHeld[i] = true;
    }
    return true;
}

void Lv2Instrument::readOptions(const LV2_Feature* const* features)
{
    const auto* options =
        static_cast<const LV2_Options_Option*>(feature(features, LV2_OPTIONS__options));
    int32 nominal = 0;
    int32 maximum = 0;
    for (const LV2_Options_Option* o = options; o && o->key; ++o)
    {
        if (o->type != urids.atomInt || o->size != sizeof(int32_t) || !o->value) continue;
        const int32 value = *static_cast<const int32_t*>(o->value);
        if (o->key == urids.maxBlockLength) maximum = value;
        if (o->key == urids.nominalBlockLength) nominal = value;
    }
    // The processor is set up for the largest block the host names; larger blocks still play,
    // in pieces.
    const int32 wanted = maximum > 0 ? maximum : (nominal > 0 ? nominal : kDefaultMaxBlock);
    pieceSize = std::min(std::max(wanted, 1), kLargestMaxBlock);
}

void Lv2Instrument::takePortValues(const std::vector<uint8>& state)
{
    for (uint32_t i = 0; i < kControlPortCount; ++i)
    {
        const ControlPort& port = *controlPort(kFirstControlPort + i);
        double value = 0.0;
        if (processorStateValue(state, port.parameterId, value))
            restoredValues[i].store(toPortValue(port, value), std::memory_order_relaxed);
    }
}

void Lv2Instrument::connectPort(uint32_t port, void* data)
{
    if (port == kMidiInPort)
        midiIn = data;
    else if (port == kLeftOutPort || port == kRightOutPort)
        outputs[port - kLeftOutPort] = static_cast<float*>(data);
    else if (controlPort(port))
        controls[port - kFirstControlPort] = static_cast<const float*>(data);
}

void Lv2Instrument::activate()
{
    midi.releaseAllKeys();
    blockInput.clear();
    instance->activate();
}

void Lv2Instrument::deactivate()
{
    instance->deactivate();
}

void Lv2Instrument::readControlPorts()
{
    if (restored.exchange(false, std::memory_order_acquire))
    {
        // Ports still showing the sound before the restore do not undo it.
        for (uint32_t i = 0; i < kControlPortCount; ++i)
        {
            stateValues[i] = restoredValues[i].load(std::memory_order_relaxed);
            stateHeld[i] = true;
            if (controls[i] && std::isfinite(*controls[i])) seenValues[i] = *controls[i];
        }
    }
    for (uint32_t i = 0; i < kControlPortCount; ++i)
    {
        if (!controls[i]) continue;
        const float value = *controls[i];
        if (!std::isfinite(value) || value == seenValues[i]) continue;
        seenValues[i] = value;
        // The port showing the restored sound: the processor keeps its exact value.
        if (stateHeld[i] && value == stateValues[i]) continue;
        stateHeld[i] = false;
        const ControlPort& port = *controlPort(kFirstControlPort + i);
        blockInput.addHostChange(port.parameterId, toNormalized(port, value));
    }
}

void Lv2Instrument::readMidi()
{
    const auto* sequence = static_cast<const LV2_Atom_Sequence*>(midiIn);
    if (!sequence || sequence->atom.type != urids.atomSequence) return;
    LV2_ATOM_SEQUENCE_FOREACH(sequence, event)
    {
        if (event->body.type != urids.midiEvent) continue;
        const auto* message = static_cast<const uint8*>(LV2_ATOM_BODY_CONST(&event->body));
        // Channel messages only, and only whole ones: a note-on cut short is not a note-off.
        if (event->body.size == 0 || event->body.size != channelMessageSize(message[0])) continue;
        uint8 bytes[3] = {};
        std::memcpy(bytes, message, event->body.size);
        const int64_t frames = event->time.frames;
        const int32 offset = static_cast<int32>(
            std::min<int64_t>(std::max<int64_t>(frames, 0), std::numeric_limits<int32>::max()));
        midi.translate(offset, bytes, blockInput);
    }
}

void Lv2Instrument::silence(uint32_t samples)
{
    for (float* out : outputs)
    {
        if (out) std::fill(out, out + samples, 0.0f);
    }
}

void Lv2Instrument::run(uint32_t samples)
{
    if (samples == 0) return;
    readControlPorts();
    readMidi();
    if (!outputs[0] || !outputs[1] || !instance->isActive() ||
        samples > static_cast<uint32_t>(std::numeric_limits<int32>::max()))
    {
        silence(samples);
        blockInput.clear();
        return;
    }
    blockInput.renderPieces(static_cast<int32>(samples), pieceSize, pieceEvents, pieceChanges,
                            [&](int32 start, int32 length) {
                                instance->processStereo(outputs[0] + start, outputs[1] + start,
                                                        length, &pieceChanges, &pieceEvents);
                                return true;
                            });
}

LV2_State_Status Lv2Instrument::save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
    std::vector<uint8> state;
    if (!store || !instance->processorState(state)) return LV2_STATE_ERR_UNKNOWN;
    const uint32_t flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
    LV2_State_Status status =
        store(handle, urids.state, state.data(), state.size(), urids.stateType, flags);
    if (status != LV2_STATE_SUCCESS) return status;
    // atom:String holds its terminator.
    return store(handle, urids.programName, currentProgramName.c_str(),
                 currentProgramName.size() + 1, urids.atomString, flags);
}

LV2_State_Status Lv2Instrument::restore(LV2_State_Retrieve_Function retrieve,
                                        LV2_State_Handle handle)
{
    if (!retrieve) return LV2_STATE_ERR_UNKNOWN;
    size_t size = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
    const void* value = retrieve(handle, urids.state, &size, &type, &flags);
    if (!value) return LV2_STATE_ERR_NO_PROPERTY;
    // Preset files carry the stream as xsd:base64Binary, which hosts hand over as a chunk.
    if (type != urids.stateType && type != urids.atomChunk) return LV2_STATE_ERR_BAD_TYPE;
    std::vector<uint8> current;
    if (!instance->processorState(current)) return LV2_STATE_ERR_UNKNOWN;
    if (!plausibleProcessorState(static_cast<const uint8*>(value), size, current))
        return LV2_STATE_ERR_UNKNOWN;

    // The name is optional: a state without one keeps the current name.
    std::string name = currentProgramName;
    size_t nameSize = 0;
    const void* nameValue = retrieve(handle, urids.programName, &nameSize, &type, &flags);
    if (nameValue && type == urids.atomString)
    {
        const char* text = static_cast<const char*>(nameValue);
        name.assign(text, strnlen(text, std::min(nameSize, kMaxProgramNameSize)));
    }

    const auto* bytes = static_cast<const uint8*>(value);
    const std::vector<uint8> state(bytes, bytes + size);
    if (!instance->restoreProcessorState(state)) return LV2_STATE_ERR_UNKNOWN;
    currentProgramName = name;
    takePortValues(state);
    restored.store(true, std::memory_order_release);
    return LV2_STATE_SUCCESS;
}

} // namespace Lv2
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
