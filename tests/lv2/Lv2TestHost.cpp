// SPDX-License-Identifier: GPL-3.0-or-later
#include "Lv2TestHost.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>

#include <cstring>
#include <stdexcept>

namespace Lv2Test {

namespace {

LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri)
{
    return static_cast<UridMap*>(handle)->map(uri);
}

const char* unmapUrid(LV2_URID_Unmap_Handle handle, LV2_URID urid)
{
    return static_cast<const UridMap*>(handle)->unmap(urid);
}

void setPortValue(const char* symbol, void* data, const void* value, uint32_t size, uint32_t type)
{
    auto* instance = static_cast<Instance*>(data);
    if (size != sizeof(float) || type != instance->world.urids.map(LV2_ATOM__Float)) return;
    const uint32_t index = portIndex(instance->world, symbol);
    if (index >= kFirstControl && index < kFirstControl + kControlPorts)
        std::memcpy(&instance->controls[index - kFirstControl], value, sizeof(float));
}

} // namespace

UridMap::UridMap()
{
    mapData = {this, mapUri};
    unmapData = {this, unmapUrid};
}

LV2_URID UridMap::map(const char* uri)
{
    const auto found = ids.find(uri);
    if (found != ids.end()) return found->second;
    uris.emplace_back(uri);
    return ids[uri] = static_cast<LV2_URID>(uris.size());
}

const char* UridMap::unmap(LV2_URID urid) const
{
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

World::World()
{
    world = lilv_world_new();
    LilvNode* bundle = lilv_new_file_uri(world, nullptr, BRASK_LV2_BUNDLE "/");
    lilv_world_load_specifications(world);
    lilv_world_load_bundle(world, bundle);
    lilv_node_free(bundle);
    LilvNode* uri = lilv_new_uri(world, "https://tarvik.audio/plugins/brask");
    plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    lilv_node_free(uri);
    if (plugin) lilv_world_load_resource(world, lilv_plugin_get_uri(plugin));
}

World::~World()
{
    lilv_world_free(world);
}

uint32_t portIndex(World& world, const char* symbol)
{
    LilvNode* node = lilv_new_string(world.world, symbol);
    const LilvPort* port = lilv_plugin_get_port_by_symbol(world.plugin, node);
    lilv_node_free(node);
    return port ? lilv_port_get_index(world.plugin, port) : 0;
}

Instance::Instance(World& owner, double sampleRate, int32_t maxBlock) : world(owner)
{
    if (!world.plugin) return;
    maxBlockValue = maxBlock;
    nominalBlockValue = maxBlock;
    featureStorage.push_back({LV2_URID__map, world.urids.mapFeature()});
    featureStorage.push_back({LV2_URID__unmap, world.urids.unmapFeature()});
    static LV2_Options_Option none{};
    const LV2_URID atomInt = world.urids.map(LV2_ATOM__Int);
    optionsStorage.resize(3 * sizeof(LV2_Options_Option));
    auto* options = reinterpret_cast<LV2_Options_Option*>(optionsStorage.data());
    options[0] = {LV2_OPTIONS_INSTANCE, 0,       world.urids.map(LV2_BUF_SIZE__maxBlockLength),
                  sizeof(int32_t),      atomInt, &maxBlockValue};
    options[1] = {LV2_OPTIONS_INSTANCE, 0,       world.urids.map(LV2_BUF_SIZE__nominalBlockLength),
                  sizeof(int32_t),      atomInt, &nominalBlockValue};
    options[2] = none;
    if (maxBlock > 0) featureStorage.push_back({LV2_OPTIONS__options, options});
    for (const LV2_Feature& feature : featureStorage)
        features.push_back(&feature);
    features.push_back(nullptr);

    instance = lilv_plugin_instantiate(world.plugin, sampleRate, features.data());
    if (!instance) return;
    // Every control at its default, as a host starts.
    for (uint32_t i = 0; i < kControlPorts; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index(world.plugin, kFirstControl + i);
        LilvNode* value = nullptr;
        lilv_port_get_range(world.plugin, port, &value, nullptr, nullptr);
        controls[i] = value ? lilv_node_as_float(value) : 0.0f;
        lilv_node_free(value);
    }
    sequence.resize(8192);
    lilv_instance_activate(instance);
}

Instance::~Instance()
{
    if (!instance) return;
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
}

void Instance::connect(uint32_t frames)
{
    if (left.size() < frames)
    {
        left.resize(frames);
        right.resize(frames);
    }
    lilv_instance_connect_port(instance, 0, sequence.data());
    lilv_instance_connect_port(instance, 1, left.data());
    lilv_instance_connect_port(instance, 2, right.data());
    for (uint32_t i = 0; i < kControlPorts; ++i)
        lilv_instance_connect_port(instance, kFirstControl + i, &controls[i]);
}

void Instance::run(uint32_t frames, const std::vector<Midi>& midi, std::vector<float>& out)
{
    connect(frames);
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(sequence.data());
    seq->atom.type = world.urids.map(LV2_ATOM__Sequence);
    seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
    seq->body.unit = 0;
    seq->body.pad = 0;
    const LV2_URID midiEvent = world.urids.map(LV2_MIDI__MidiEvent);
    for (const Midi& message : midi)
    {
        auto* event = reinterpret_cast<LV2_Atom_Event*>(reinterpret_cast<uint8_t*>(&seq->body) +
                                                        lv2_atom_pad_size(seq->atom.size));
        const uint32_t size = static_cast<uint32_t>(message.bytes.size());
        if (reinterpret_cast<uint8_t*>(event) + sizeof *event + size + 8 >
            reinterpret_cast<uint8_t*>(sequence.data() + sequence.size()))
            throw std::runtime_error("the test's MIDI buffer is full");
        event->time.frames = message.frame;
        event->body.type = midiEvent;
        event->body.size = size;
        if (size > 0) std::memcpy(event + 1, message.bytes.data(), size);
        seq->atom.size = lv2_atom_pad_size(seq->atom.size) + sizeof *event + size;
    }
    std::fill(left.begin(), left.end(), 1.0e9f); // what run() leaves unwritten shows
    lilv_instance_run(instance, frames);
    for (uint32_t i = 0; i < frames; ++i)
    {
        out.push_back(left[i]);
        out.push_back(right[i]);
    }
}

void Instance::runUnconnected(uint32_t frames)
{
    connect(frames);
    lilv_instance_connect_port(instance, 1, nullptr);
    lilv_instance_connect_port(instance, 2, nullptr);
    auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(sequence.data());
    seq->atom.type = world.urids.map(LV2_ATOM__Sequence);
    seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
    lilv_instance_run(instance, frames);
}

const LV2_State_Interface* Instance::state() const
{
    return static_cast<const LV2_State_Interface*>(
        lilv_instance_get_extension_data(instance, LV2_STATE__interface));
}

LV2_Handle Instance::handle() const
{
    return lilv_instance_get_handle(instance);
}

namespace {

const void* portValue(const char* symbol, void* data, uint32_t* size, uint32_t* type)
{
    auto* instance = static_cast<Instance*>(data);
    const uint32_t index = portIndex(instance->world, symbol);
    if (index < kFirstControl || index >= kFirstControl + kControlPorts) return nullptr;
    *size = sizeof(float);
    *type = instance->world.urids.map(LV2_ATOM__Float);
    return &instance->controls[index - kFirstControl];
}

} // namespace

LilvState* Instance::saveState()
{
    return lilv_state_new_from_instance(world.plugin, instance, world.urids.mapFeature(), nullptr,
                                        nullptr, nullptr, nullptr, portValue, this, 0, nullptr);
}

void Instance::restoreState(const LilvState* state)
{
    lilv_state_restore(state, instance, setPortValue, this, 0, nullptr);
}

} // namespace Lv2Test
