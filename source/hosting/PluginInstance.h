// SPDX-License-Identifier: GPL-3.0-or-later
// PluginInstance: one plug-in instance as a VST 3 host holds it. Processor and controller are
// created through the module's factory (the first audio processor class, or the one of a class
// ID), initialised with a host context of their own, connected both ways, and the processor's
// state is handed to the controller. The instance sets up the buses and the processing, activates,
// saves and restores state as hosts do, and tears everything down in the reverse order.
//
// Threads: everything runs on the host's UI thread except process(), which is the audio thread's,
// and isActive(), which any thread may ask.
#pragma once

#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmessage.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace Steinberg {
namespace Vst {
class HostApplication;
namespace Tarvik {
namespace Hosting {

class PluginInstance
{
public:
    /** The description of the factory's first audio processor class; false when it has none. */
    static bool firstAudioClass(IPluginFactory* factory, PClassInfo2& info);

    /** Creates the factory's first audio processor class and its controller; the controller's
        edits go to handler (which must outlive the instance; null: nowhere). On failure returns
        null, with everything created released again, and says why in error. */
    static std::unique_ptr<PluginInstance> create(IPluginFactory* factory,
                                                  IComponentHandler* handler, std::string& error);
    /** The same for the processor class of this ID. */
    static std::unique_ptr<PluginInstance> create(IPluginFactory* factory,
                                                  const TUID processorClassId,
                                                  IComponentHandler* handler, std::string& error);

    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    /** A stereo output, and every audio output and event input bus active. */
    bool setUpBuses(std::string& error);
    /** 32-bit processing at this rate and largest block; false (nothing changed) when the
        processor refuses. Only while inactive. */
    bool setUpProcessing(double sampleRate, int32 maxSamplesPerBlock, int32 processMode);
    /** Activates the processor and starts its processing. */
    bool activate();
    /** Stops processing and deactivates; nothing happens when inactive. */
    void deactivate();
    bool isActive() const { return active; }

    /** Buses, processing set-up and activation at once; says why when one fails. */
    bool start(double sampleRate, int32 maxSamplesPerBlock, std::string& error,
               int32 processMode = kOffline);
    void stop() { deactivate(); }

    tresult process(ProcessData& data) { return audioProcessor->process(data); }
    /** One realtime block of an instrument, into one stereo output bus: what a plug-in format's
        entry hands on per block. Allocates nothing. */
    tresult processStereo(float* left, float* right, int32 samples, IParameterChanges* changes,
                          IEventList* events);

    /** The processor's or the controller's state stream; false when it writes none. */
    bool processorState(std::vector<uint8>& state) const;
    bool controllerState(std::vector<uint8>& state) const;
    /** Loads a processor state, and hands it to the controller as hosts do; false (the controller
        untold) when the processor refuses it, or when the controller does. */
    bool restoreProcessorState(const std::vector<uint8>& state);
    /** Loads a controller state; the controller's answer (kNotImplemented where it keeps none). */
    tresult restoreControllerState(const std::vector<uint8>& state);
    /** Hands the processor's state to the controller, as hosts do after loading or creating. */
    bool syncControllerFromProcessor();

    /** The controller's parameters in its order. */
    std::vector<ParameterInfo> parameters() const;
    /** Finds a parameter by its title (exact, UTF-8); false if there is none. */
    bool findParameter(const std::string& title, ParameterInfo& info) const;

    /** Class description of the processor (from IPluginFactory2 where available). */
    const PClassInfo2& processorClass() const { return classInfo; }

    IComponent* component() const { return pluginComponent; }
    IAudioProcessor* processor() const { return audioProcessor; }
    IEditController* controller() const { return editController; }
    /** The controller's MIDI mapping, or null if it has none. */
    IMidiMapping* midiMapping() const { return mapping; }

private:
    PluginInstance();
    static std::unique_ptr<PluginInstance> build(IPluginFactory* factory,
                                                 const PClassInfo2& processorClass,
                                                 IComponentHandler* handler, std::string& error);
    /** Creates, initialises and connects processor and controller of classInfo. */
    bool connect(IPluginFactory* factory, IComponentHandler* handler, std::string& error);

    // The SDK's host context is not reference counted: the instance owns it outright, and
    // deletes it after the processor and controller that were initialised with it.
    std::unique_ptr<HostApplication> hostContext;
    PClassInfo2 classInfo;
    IComponent* pluginComponent = nullptr;
    IAudioProcessor* audioProcessor = nullptr;
    IEditController* editController = nullptr;
    IMidiMapping* mapping = nullptr;
    IConnectionPoint* componentConnection = nullptr;
    IConnectionPoint* controllerConnection = nullptr;
    bool componentInitialized = false;
    bool controllerInitialized = false;
    bool controllerIsComponent = false;
    std::atomic<bool> active{false};
};

} // namespace Hosting
} // namespace Tarvik
} // namespace Vst
} // namespace Steinberg
