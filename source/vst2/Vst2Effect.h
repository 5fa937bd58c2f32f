// SPDX-License-Identifier: GPL-3.0-or-later
// Vst2Effect: one instrument instance as a VST 2.4 host sees it. It holds the processor and the
// controller through the hosting kit exactly as a VST 3 host does (created through the module's
// class factory, connected, state handed across, buses, setup, activation) and maps the VST 2
// calls onto them; MIDI reaches the processor through the kit's translator and block pieces.
//
// Threads: the host's UI thread creates, configures, saves and restores; the audio thread runs
// processEvents and processReplacing; setParameter may come from any thread. Parameter changes
// travel to the audio thread through a lock-free queue that each block drains first, and to the
// controller (which, with its editor, lives on the UI thread) at the host's next editor idle;
// getParameter and the display texts answer from the host's latest values at once.
//
// Programs: the factory bank. effSetProgram loads one on the UI thread as a chunk restore does.
// A MIDI program change, on the audio thread, moves the parameters to the program's values as
// setParameter does (the processor has them from the block on; no allocation, no lock), and
// hands the program's number to the UI thread, where the current program and its name follow at
// the host's next program, chunk or editor call, as the controller follows the values.
#pragma once

#include "ParameterQueue.h"

#include "BlockInput.h"
#include "EventList.h"
#include "MidiTranslator.h"
#include "ParameterChanges.h"
#include "PluginInstance.h"

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/fst/fst.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
namespace Tarvik {

class Vst2EditorHost;

class Vst2Effect : private Hosting::MidiTranslator::Listener
{
public:
    /** Note events one process call carries at most: what the instrument takes (the entry
        holds it against the engine's limit). */
    static constexpr int32 kMaxPieceEvents = 512;

    /** Builds an instance of the factory's processor class; null (with everything created
        released again) when the factory or the classes refuse. */
    static Vst2Effect* create(IPluginFactory* factory, const TUID processorClassId, int32 uniqueId,
                              audioMasterCallback host);

    /** The instance behind a record that create() handed out. */
    static Vst2Effect* from(AEffect* effect);

    virtual ~Vst2Effect();
    Vst2Effect(const Vst2Effect&) = delete;
    Vst2Effect& operator=(const Vst2Effect&) = delete;

    AEffect* effect() { return &record; }

    VstIntPtr dispatch(int opcode, int index, VstIntPtr value, void* ptr, float opt);
    void setParameter(int index, float value);
    float getParameter(int index) const;
    void processReplacing(float** inputs, float** outputs, int frames);
    /** The accumulating call of old hosts: adds the rendered block to the outputs. */
    void processAccumulating(float** inputs, float** outputs, int frames);

    /** The controller behind the instance (UI thread). */
    IEditController* editController() const { return controller; }

    /** The controller's parameters, in its order. */
    int32 parameterCount() const { return static_cast<int32>(parameterIds.size()); }

private:
    class ComponentHandler;

    explicit Vst2Effect(audioMasterCallback host);
    bool build(IPluginFactory* factory, const TUID processorClassId);
    void readIdentity();
    bool hasEditor();

    // Opcodes, on the host's UI thread.
    void suspend();
    bool resume();
    /** False (and the previous setup kept) when the processor refuses it. */
    bool changeSetup(double sampleRate, int32 maxBlock);
    bool setUpProcessing();
    VstIntPtr saveChunk(void** data);
    bool restoreChunk(const void* data, VstIntPtr size);
    bool canDo(const char* feature) const;
    bool parameterText(int index, char* text) const;
    bool parameterFromText(int index, const char* text);
    void processEvents(const VstEvents* events);

    /** UI thread: loads a program's sound and makes it the current one. */
    void loadProgram(int32 index);
    /** UI thread: makes a processor state the sound (processor, controller, host values). */
    void loadSound(const std::vector<uint8_t>& state);
    /** UI thread: follows a program change the audio thread took. */
    void takeProgramChange();
    void programChange(int program) SMTG_OVERRIDE;

    int indexOf(ParamID id) const;
    void applyParameter(int index, ParamValue value);
    /** UI thread: brings the controller up to the host's latest moves. */
    void updateController();
    /** UI thread: takes the host's values from the controller (after it changed them). */
    void readHostValues();
    void silence(float** outputs, int frames);
    void render(float** outputs, int frames, bool accumulate);

    audioMasterCallback host;
    AEffect record{};

    // The instrument, as a VST 3 host holds it; the factory is held for as long.
    IPluginFactory* factory = nullptr;
    std::unique_ptr<ComponentHandler> componentHandler;
    std::unique_ptr<Hosting::PluginInstance> instance;
    IEditController* controller = nullptr; // the instance's
    std::unique_ptr<Vst2EditorHost> editor;

    std::string effectName;
    std::string vendorName;
    int32 vendorVersion = 0;
    bool isInstrument = false;
    // The programs' names (the host may rename them) and the one playing: UI thread.
    std::vector<std::string> programNames;
    int32 currentProgram = 0;
    // Audio thread to UI thread: a program change the audio thread took, or -1.
    std::atomic<int32> pendingProgram{-1};
    // The parameter index of each value a program holds (parameter IDs 0, 1, ...), or -1.
    std::vector<int> programValueIndexes;

    std::vector<ParamID> parameterIds;
    // The values the host last set or was told about, by index: what getParameter answers.
    // Any thread writes them; the controller catches up on the UI thread.
    std::unique_ptr<std::atomic<ParamValue>[]> hostValues;
    std::unique_ptr<std::atomic<bool>[]> controllerBehind;
    std::atomic<bool> anyControllerBehind{false};
    std::vector<bool> automatable;
    double sampleRate = 44100.0;
    int32 maxBlockSize = 1024;
    std::vector<uint8_t> savedChunk;

    // Audio thread.
    std::unique_ptr<ParameterQueue> parameterQueue; // sized to the parameters
    Hosting::MidiTranslator midi;
    Hosting::BlockInput blockInput;
    Hosting::EventList pieceEvents{kMaxPieceEvents};
    Hosting::ParameterChanges pieceChanges{64, 32, Hosting::FullQueue::kKeepNewestPoint};
    std::vector<float> scratch[2]; // for the accumulating call
    int32 pieceSize = 1024;        // the set-up maximum while active
};

} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
