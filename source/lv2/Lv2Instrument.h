// SPDX-License-Identifier: GPL-3.0-or-later
// Lv2Instrument: one instance as an LV2 host sees it. It holds processor and controller through
// the hosting kit exactly as a VST 3 host does; run() hands MIDI to the kit's translator at its
// frame offsets and the control ports' changes to the processor as changes at the block's start,
// and renders the block in pieces the processor was set up for. The state extension saves and
// restores the processor's state stream and the name of the preset it came from.
//
// Threads: instantiate, activate, deactivate and restore are the host's instantiation calls and
// never overlap run(); save may. Restored values reach run() only through atomics.
//
// Ports and state: control ports carry floats, the processor keeps doubles. After a restore, a
// port that shows the restored value (as a host that restores its port values makes it) does not
// round the processor's exact value to the port's; a port the host leaves as it was does not undo
// the restore. Only a port that moves after that changes the sound.
#pragma once

#include "Lv2Ports.h"

#include "BlockInput.h"
#include "EventList.h"
#include "MidiTranslator.h"
#include "ParameterChanges.h"
#include "PluginInstance.h"

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {
namespace Lv2 {

class Lv2Instrument
{
public:
    /** Note events one process call carries at most (within what the engine keeps). */
    static constexpr int32 kMaxPieceEvents = 512;
    /** The largest block the processor is set up for when the host names none. */
    static constexpr int32 kDefaultMaxBlock = 4096;
    static constexpr int32 kLargestMaxBlock = 1 << 16;
    /** Longer preset names are cut there. */
    static constexpr size_t kMaxProgramNameSize = 256;

    /** Builds an instance of the factory's processor class; null when a required feature is
        missing or the factory or the classes refuse. */
    static std::unique_ptr<Lv2Instrument> create(IPluginFactory* factory,
                                                 const TUID processorClassId, double sampleRate,
                                                 const LV2_Feature* const* features);
    ~Lv2Instrument();
    Lv2Instrument(const Lv2Instrument&) = delete;
    Lv2Instrument& operator=(const Lv2Instrument&) = delete;

    void connectPort(uint32_t port, void* data);
    void activate();
    void deactivate();
    void run(uint32_t samples);

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    /** The largest block the processor was set up for. */
    int32 maxBlock() const { return pieceSize; }

private:
    Lv2Instrument() = default;
    bool build(IPluginFactory* factory, const TUID processorClassId, double sampleRate,
               const LV2_Feature* const* features);
    void readOptions(const LV2_Feature* const* features);
    /** The port values that stand for a processor state's values. */
    void takePortValues(const std::vector<uint8>& state);
    void readMidi();
    void readControlPorts();
    void silence(uint32_t samples);

    struct Urids
    {
        LV2_URID atomSequence = 0;
        LV2_URID atomString = 0;
        LV2_URID atomInt = 0;
        LV2_URID atomChunk = 0;
        LV2_URID midiEvent = 0;
        LV2_URID maxBlockLength = 0;
        LV2_URID nominalBlockLength = 0;
        LV2_URID state = 0;
        LV2_URID stateType = 0;
        LV2_URID programName = 0;
    } urids;

    std::unique_ptr<Hosting::PluginInstance> instance;
    double sampleRate = 48000.0;
    std::string currentProgramName = "Init";

    // Ports, as the host connected them.
    const void* midiIn = nullptr;
    float* outputs[2] = {};
    std::array<const float*, kControlPortCount> controls{};

    // Restore to run(): the port values of the restored sound, then the flag.
    std::array<std::atomic<float>, kControlPortCount> restoredValues{};
    std::atomic<bool> restored{false};

    // Audio thread.
    std::array<float, kControlPortCount> seenValues{};  // the port values last taken
    std::array<float, kControlPortCount> stateValues{}; // what the restored sound shows
    std::array<bool, kControlPortCount> stateHeld{};    // no port moved since the restore
    Hosting::MidiTranslator midi;
    Hosting::BlockInput blockInput;
    Hosting::EventList pieceEvents{kMaxPieceEvents};
    Hosting::ParameterChanges pieceChanges{64, 32, Hosting::FullQueue::kKeepNewestPoint};
    int32 pieceSize = kDefaultMaxBlock;
};

/** The processor state's `index`th value (count, doubles, bypass word); false when the stream is
    too short. */
bool processorStateValue(const std::vector<uint8>& state, uint32_t index, double& value);

/** True when a stream has the shape of the reference the processor wrote: the same length and
    value count, and every value a finite number in 0..1. */
bool plausibleProcessorState(const uint8* state, size_t size, const std::vector<uint8>& reference);

} // namespace Lv2
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
