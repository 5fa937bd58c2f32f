// SPDX-License-Identifier: GPL-3.0-or-later
// An LV2 host for the tests, on lilv: it reads the built bundle's descriptions, instantiates the
// plug-in with a URID map and, if asked, the block length options, connects every port and runs
// blocks with MIDI at frame offsets and control values, as LV2 hosts do.
#pragma once

#include <lilv/lilv.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Lv2Test {

constexpr uint32_t kControlPorts = 24;
constexpr uint32_t kFirstControl = 3;

/** URIs to URIDs and back, as a host's map feature. */
class UridMap
{
public:
    UridMap();
    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid) const;
    LV2_URID_Map* mapFeature() { return &mapData; }
    LV2_URID_Unmap* unmapFeature() { return &unmapData; }

private:
    std::map<std::string, LV2_URID> ids;
    std::vector<std::string> uris;
    LV2_URID_Map mapData{};
    LV2_URID_Unmap unmapData{};
};

/** The lilv world with the built bundle loaded, and the plug-in found in it. */
class World
{
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;
    UridMap urids;
};

struct Midi
{
    uint32_t frame;
    std::vector<uint8_t> bytes;
};

/** One instance with all ports connected. maxBlock 0 gives no block length option. */
class Instance
{
public:
    Instance(World& world, double sampleRate, int32_t maxBlock = 0);
    ~Instance();
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool valid() const { return instance != nullptr; }

    /** The control ports' values, as the host holds them (port index - 3). */
    std::array<float, kControlPorts> controls{};

    /** Runs one block with these MIDI messages; appends the stereo output, interleaved. */
    void run(uint32_t frames, const std::vector<Midi>& midi, std::vector<float>& out);
    /** Runs a block with outputs that are not connected (null). */
    void runUnconnected(uint32_t frames);

    const LV2_State_Interface* state() const;
    LV2_Handle handle() const;
    /** The instance's state as lilv saves it, and back. */
    LilvState* saveState();
    void restoreState(const LilvState* state);

    World& world;
    LilvInstance* instance = nullptr;

private:
    void connect(uint32_t frames);

    std::vector<LV2_Feature> featureStorage;
    std::vector<const LV2_Feature*> features;
    int32_t maxBlockValue = 0;
    int32_t nominalBlockValue = 0;
    std::vector<uint8_t> optionsStorage;
    std::vector<uint64_t> sequence; // the MIDI input's atom sequence, 8-byte aligned
    std::vector<float> left, right;
};

/** The port index of a control port symbol, or 0 if there is none. */
uint32_t portIndex(World& world, const char* symbol);

} // namespace Lv2Test
